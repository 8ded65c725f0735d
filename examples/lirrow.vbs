' Lirrow from VBScript: find-and-replace, counting, the calendar, code pages.
' Run with tools/run-script examples/lirrow.vbs (it puts the check helpers in
' front); each Check line shows the answer to expect.
Dim text
Set text = CreateObject("Lirrow.Lirrow")

' Every occurrence is replaced, left to right, case-sensitive, never overlapping.
Dim day : day = "2026-12-07"
WScript.Echo "FindAndReplace: " & text.FindAndReplace(day, "-", "/")
Check "FindAndReplace", text.FindAndReplace("abcabc", "b", "x"), "axcaxc"
Check "no overlaps", text.FindAndReplace("aaaa", "aa", "b"), "bb"
Check "case-sensitive", text.FindAndReplace("Abc abc", "a", "_"), "Abc _bc"

' How often a text occurs: an Integer; -1 for an empty text.
Check "StringCount", text.StringCount("a;b;c", ";"), 2
Check "StringCount of an empty text", text.StringCount("", ";"), -1

' Errors are the host's run-time errors: more than 32,767 occurrences do not
' fit an Integer.
On Error Resume Next
Dim count : count = text.StringCount(String(40000, "x"), "x")
Check "error number", Err.Number, 6
Check "error text", Err.Description, "Overflow"
Err.Clear
On Error GoTo 0

' The calendar: DateFunction takes an option of the enumeration DateOption
' and a date; IsLeapYear a year.
Const LastOfMonth = 3, DayOfYear = 10, IsWorkday = 11
Dim whatToCompute, someDay
someDay = DateSerial(2004, 2, 10)
whatToCompute = LastOfMonth
Check "LastOfMonth", text.DateFunction(whatToCompute, someDay), DateSerial(2004, 2, 29)
whatToCompute = DayOfYear
Check "DayOfYear", text.DateFunction(whatToCompute, someDay), 41
whatToCompute = IsWorkday
Check "IsWorkday (a Tuesday)", text.DateFunction(whatToCompute, someDay), True
Check "IsLeapYear 2000", text.IsLeapYear(2000), 1
Check "IsLeapYear 1900", text.IsLeapYear(1900), 0

' Code pages: ASCII reads the same in the Windows and the DOS code page; an
' empty text counts as Windows (CodeText Win = 1).
Check "ANSI2OEM", text.ANSI2OEM("Hello"), "Hello"
Check "TextCode", text.TextCode(""), 1

Summary "example lirrow.vbs"
