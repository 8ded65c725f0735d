' DateFunction and IsLeapYear from VBScript: result kinds, the caller's date
' variable replaced by today, week bounds in the user's locale, errors.
' Argument: the locale's first day of the week (1 Sunday, 2 Monday).
Dim lib : Set lib = CreateObject("Lirrow.Lirrow")
Dim first_day : first_day = CInt(WScript.Arguments(0))
Dim d, r, i

' The kind of every option's result.
Dim kinds : kinds = Array("Date", "Date", "Date", "Date", "Date", "Date", "Date", "Date", "Date", "Date", _
                          "Long", "Boolean", "Date", "Long", "Empty", "Empty")
Dim option_values : option_values = Array(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, -1)
For i = 0 To UBound(option_values)
  d = DateSerial(2003, 9, 11)
  Check "kind of option " & option_values(i), TypeName(lib.DateFunction(option_values(i), d)), kinds(i)
Next

' Week bounds keep the time of day and follow the user's first day of the week.
Dim thursday : thursday = DateSerial(2003, 9, 11) + TimeSerial(15, 30, 0)
Check "host's first day of week", Weekday(thursday, vbUseSystemDayOfWeek), Weekday(thursday, first_day)
d = thursday
Check "start of week", lib.DateFunction(8, d), DateSerial(2003, 9, 7 + first_day - 1) + TimeSerial(15, 30, 0)
Check "end of week", lib.DateFunction(9, d), DateSerial(2003, 9, 13 + first_day - 1) + TimeSerial(15, 30, 0)
Check "start of week as the host counts", lib.DateFunction(8, d), _
  DateSerial(2003, 9, 11 - Weekday(thursday, vbUseSystemDayOfWeek) + 1) + TimeSerial(15, 30, 0)
Check "date variable untouched", d, thursday

' The empty date stands for today and the caller's variable receives it.
Dim empty_dates : empty_dates = Array(0, 0.5, -0.5, 0.25, CDate(0))
For i = 0 To UBound(empty_dates)
  d = empty_dates(i)
  Check "empty date " & i, lib.DateFunction(2, d), DateSerial(Year(Date), Month(Date), 1)
  Check "empty date " & i & " replaced", d, Date
Next
d = 0
Check "empty date, day of year", lib.DateFunction(10, d), CLng(Date - DateSerial(Year(Date) - 1, 12, 31))
Check "empty date, day of year replaced", d, Date
d = 0.75
Check "0.75 is a date", lib.DateFunction(2, d), DateSerial(1899, 12, 1)
Check "0.75 kept", d, 0.75
For Each i In Array(8, 9, 12)
  d = 0
  r = lib.DateFunction(i, d)
  Check "option " & i & " leaves the empty date", d, 0
  Check "option " & i & " leaves the kind", TypeName(d), "Integer"
Next
d = 0
Check "week of 30 December 1899", lib.DateFunction(8, d), DateSerial(1899, 12, 23 + first_day)

' CalcAge: a date in the future counts as today and is written back.
Dim born : born = DateSerial(2000, 2, 29)
Dim age : age = Year(Date) - 2000
If DateSerial(Year(Date), 2, 29) > Date Then age = age - 1
d = born
Check "age", lib.DateFunction(13, d), age
Check "birth date kept", d, born
d = DateSerial(Year(Date) + 1, 1, 1)
Check "born next year", lib.DateFunction(13, d), 0
Check "future birth date replaced", d, Date
d = Now
If d > Date Then
  Check "born later today", lib.DateFunction(13, d), 0
  Check "later today replaced", d, Date
End If
d = Date
Check "born today", lib.DateFunction(13, d), 0
Check "today kept", d, Date

' The option variable is never written.
Dim choice : choice = 2
d = DateSerial(2003, 9, 11)
r = lib.DateFunction(choice, d)
Check "option variable", choice, 2
Check "option variable kind", TypeName(choice), "Integer"

' Errors: a date built past year 9999 or before year 100, a date moved past
' 9999. (A number outside the Date kind does not get through the call's own
' conversion; the method's checks of such dates are tested through the vtable.)
On Error Resume Next
d = 3E+9
r = lib.DateFunction(2, d)
CheckTrue "number beyond the Date kind refused", Err.Number = 13 Or Err.Number = 6
Err.Clear
d = DateSerial(9999, 12, 1)
r = lib.DateFunction(5, d)
Check "last of next month after 9999", Err.Number, 5
Err.Clear
r = lib.DateFunction(3, d)
Check "last of month of December 9999", r, DateSerial(9999, 12, 31)
Check "no error for December 9999", Err.Number, 0
d = DateSerial(9999, 12, 31)
r = lib.DateFunction(9, d)
Check "end of week after 9999", Err.Number, 6
Err.Clear
d = DateSerial(100, 1, 1)
r = lib.DateFunction(7, d)
Check "last of previous month before 100", Err.Number, 5
Err.Clear
On Error GoTo 0

' IsLeapYear: 1 or 0, an Integer.
Dim years : years = Array(2000, 2004, 0, -4, 1600, 1900, 2003, 2100, 1, -100)
Dim leap : leap = Array(1, 1, 1, 1, 1, 0, 0, 0, 0, 0)
For i = 0 To UBound(years)
  Check "leap year " & years(i), lib.IsLeapYear(years(i)), leap(i)
Next
Dim year_variable : year_variable = 2004
Check "leap year kind", TypeName(lib.IsLeapYear(year_variable)), "Integer"
Check "year variable", year_variable, 2004

Summary "lirrow_calendar.vbs"
