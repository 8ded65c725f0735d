' DateFunction against the same computations written with the host's own
' DateSerial, Year, Month and Weekday, for every day of 1900 to 2100. The
' comparisons are written out one per option: the host's interpreter is slow,
' and this keeps the whole run to a few seconds per century.
Dim lib : Set lib = CreateObject("Lirrow.Lirrow")

Dim options : options = Array(0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12)
Dim kinds : kinds = Array(vbDate, vbDate, vbDate, vbDate, vbDate, vbDate, vbDate, vbDate, 0, 0, vbLong, vbBoolean, vbDate)
Dim wrong(12), shown
shown = 0

Sub Report(opt, actual, expected, day)
  wrong(opt) = wrong(opt) + 1
  If shown < 20 Then
    shown = shown + 1
    WScript.Echo "option " & opt & " of " & day & ": got " & TypeName(actual) & " [" & actual & "], expected " _
      & TypeName(expected) & " [" & expected & "]"
  End If
End Sub

Dim e0, e1, e2, e3, e4, e5, e6, e7, e10, e11, e12
Dim last_month, serial, d, y, m, q, w, k, opt, r
For Each opt In options : wrong(opt) = 0 : Next
last_month = 0
For serial = CLng(DateSerial(1900, 1, 1)) To CLng(DateSerial(2100, 12, 31))
  d = CDate(serial)
  y = Year(d) : m = Month(d)
  ' Everything but the day of the year and the working day depends on the
  ' month only; on the first day of each month the result kinds are checked too.
  If m <> last_month Then
    q = 3 * ((m - 1) \ 3)
    e0 = DateSerial(y, q + 1, 1)
    e1 = DateSerial(y, q + 4, 0)
    e2 = DateSerial(y, m, 1)
    e3 = DateSerial(y, m + 1, 0)
    e4 = DateSerial(y, m + 1, 1)
    e5 = DateSerial(y, m + 2, 0)
    e6 = DateSerial(y, m - 1, 1)
    e7 = DateSerial(y, m, 0)
    k = 0
    Do While Weekday(DateSerial(y, m + 1, -k)) = vbSaturday Or Weekday(DateSerial(y, m + 1, -k)) = vbSunday
      k = k + 1
    Loop
    e12 = DateSerial(y, m + 1, -k)
    last_month = m
    For Each opt In options
      r = lib.DateFunction(opt, d)
      If VarType(r) <> kinds(opt) Then Report opt, r, "a value of VarType " & kinds(opt), d
    Next
  End If
  e10 = CLng(d - DateSerial(y - 1, 12, 31))
  w = Weekday(d)
  e11 = (w >= vbMonday And w <= vbFriday)
  r = lib.DateFunction(0, d) : If r <> e0 Then Report 0, r, e0, d
  r = lib.DateFunction(1, d) : If r <> e1 Then Report 1, r, e1, d
  r = lib.DateFunction(2, d) : If r <> e2 Then Report 2, r, e2, d
  r = lib.DateFunction(3, d) : If r <> e3 Then Report 3, r, e3, d
  r = lib.DateFunction(4, d) : If r <> e4 Then Report 4, r, e4, d
  r = lib.DateFunction(5, d) : If r <> e5 Then Report 5, r, e5, d
  r = lib.DateFunction(6, d) : If r <> e6 Then Report 6, r, e6, d
  r = lib.DateFunction(7, d) : If r <> e7 Then Report 7, r, e7, d
  r = lib.DateFunction(10, d) : If r <> e10 Then Report 10, r, e10, d
  r = lib.DateFunction(11, d) : If r <> e11 Then Report 11, r, e11, d
  r = lib.DateFunction(12, d) : If r <> e12 Then Report 12, r, e12, d
Next
For Each opt In options
  Check "option " & opt & ", days that differ", wrong(opt), 0
Next
Check "days compared", serial - CLng(DateSerial(1900, 1, 1)), 73414

Summary "lirrow_calendar_all_days.vbs"
