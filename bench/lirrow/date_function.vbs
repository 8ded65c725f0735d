' DateFunction called late-bound from VBScript next to the same computation
' written in VBScript, for a spread of options; calls per second of each.
Dim lib : Set lib = CreateObject("Lirrow.Lirrow")
Dim calls : calls = 100000
If WScript.Arguments.Count > 0 Then calls = CLng(WScript.Arguments(0))

Dim names : names = Array("LastOfMonth", "StartOfWeek", "DayOfYear", "LastBusDay", "CalcAge")
Dim codes : codes = Array(3, 8, 10, 12, 13)
Dim d, r, i, k, start, seconds_lib, seconds_script, today, option_code

Function Rate(seconds)
  If seconds <= 0 Then seconds = 0.001
  Rate = Right(Space(12) & FormatNumber(calls / seconds, 0, -1, 0, -1), 12)
End Function

WScript.Echo "calls per second, " & calls & " calls each (ratio: DateFunction rate over VBScript rate)"
WScript.Echo "option         " & "  DateFunction" & "      VBScript" & "   ratio"
For k = 0 To UBound(codes)
  option_code = codes(k)
  d = DateSerial(2003, 8, 11) + TimeSerial(15, 30, 0)
  start = Timer
  For i = 1 To calls
    r = lib.DateFunction(option_code, d)
  Next
  seconds_lib = Timer - start

  start = Timer
  Select Case option_code
    Case 3
      For i = 1 To calls
        r = DateSerial(Year(d), Month(d) + 1, 0)
      Next
    Case 8
      For i = 1 To calls
        r = d - Weekday(d, vbUseSystemDayOfWeek) + 1
      Next
    Case 10
      For i = 1 To calls
        r = CLng(Int(d) - DateSerial(Year(d) - 1, 12, 31))
      Next
    Case 12
      For i = 1 To calls
        r = DateSerial(Year(d), Month(d) + 1, 0)
        Do While Weekday(r) = vbSaturday Or Weekday(r) = vbSunday
          r = r - 1
        Loop
      Next
    Case 13
      For i = 1 To calls
        today = Date
        r = Year(today) - Year(d)
        If DateSerial(Year(today), Month(d), Day(d)) > today Then r = r - 1
      Next
  End Select
  seconds_script = Timer - start
  If seconds_lib <= 0 Then seconds_lib = 0.001
  If seconds_script <= 0 Then seconds_script = 0.001
  WScript.Echo Left(names(k) & " (" & option_code & ")" & Space(15), 15) & Rate(seconds_lib) & "  " _
    & Rate(seconds_script) & "  " & Right(Space(6) & FormatNumber(seconds_script / seconds_lib, 2, -1, 0, 0), 6)
Next
