' ClassForGradient from VBScript: properties, colour tables into script
' variables, and Draw on a VBScript class instance as host object.
Dim painter : Set painter = CreateObject("Velmora.ClassForGradient")

Check "initial Color1", painter.Color1, &HFFFFD0
Check "initial Color2", painter.Color2, &H400000
Check "initial Angle", painter.Angle, 315
Check "Angle is a Single", TypeName(painter.Angle), "Single"
painter.Angle = -90
Check "Angle -90", painter.Angle, 270
painter.Angle = 725
Check "Angle 725", painter.Angle, 5
painter.Color1 = &H8000001A
Check "not a system colour", painter.Color1, &H8000001A
painter.Color2 = &H80000005
CheckTrue "system colour resolved", painter.Color2 >= 0

Dim table
Check "steps returned", painter.BlendColors(0, &HFF, 5, table), 5
Check "variable is an array", IsArray(table), True
Check "lower bound", LBound(table), 0
Check "upper bound", UBound(table), 4
Check "first", table(0), 0
Check "second", table(1), &H33
Check "fourth", table(3), &H99
Check "last", table(4), &HFF
Check "thirds", painter.BlendColors(0, &HFF, 3, table), 3
Check "third entry", table(1), &H55
Check "at least two", painter.BlendColors(&H123456, &H654321, 0, table), 2
Check "two entries", UBound(table), 1
Check "ends unchanged", table(1), &H654321

Dim grown()
Check "dynamic array", painter.BlendColors(0, 5, 4, grown), 4
Check "dynamic array filled", grown(1) & "," & grown(2) & "," & grown(3), "1,2,5"

On Error Resume Next
Dim fixed(2)
fixed(0) = 7
Dim r : r = painter.BlendColors(0, &HFF, 5, fixed)
Check "fixed array refused", Err.Number, 10
Check "fixed array message", Err.Description, "This array is fixed or temporarily locked"
Err.Clear
Check "fixed array unchanged", fixed(0) & UBound(fixed), "72"
r = painter.BlendColors(0, &HFF, &H7FFFFFFF, table)
Check "too many steps", Err.Number, 7
Err.Clear
Check "table kept", UBound(table), 1
On Error GoTo 0

' A script object as host: its window handle is no window, so nothing is
' drawn and no box is shown, but both reads of "hWnd" arrive by name.
Class LoggingHost
  Public Log
  Public Property Get hWnd
    Log = Log & "hWnd;"
    hWnd = 0
  End Property
  Public Property Get hDC
    Log = Log & "hDC;"
    hDC = 0
  End Property
End Class
Dim host : Set host = New LoggingHost
Check "no window, nothing drawn", painter.Draw(host), False
Check "read by name", host.Log, "hWnd;hWnd;"

Summary "gradient.vbs"
