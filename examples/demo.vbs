' A short tour of the suite: each library created by its ProgID and called
' late-bound, exactly as a script writer would.
Option Explicit

Dim lirrow : Set lirrow = CreateObject("Lirrow.Lirrow")
WScript.Echo "Lirrow.FindAndReplace(""abcabc"", ""b"", ""x"") = " & lirrow.FindAndReplace("abcabc", "b", "x")
WScript.Echo "Lirrow.StringCount(""a,b,,c"", "","") = " & lirrow.StringCount("a,b,,c", ",")
On Error Resume Next
Dim count : count = lirrow.StringCount(String(40000, "x"), "x")
WScript.Echo "Lirrow.StringCount of 40000 matches fails with error " & Err.Number & " (" & Err.Description & ")"
Err.Clear
On Error GoTo 0
