' Velmora from VBScript: the gradient painter's settings and colour table,
' and the mouse pointer.
' Run with tools/run-script examples/velmora.vbs (it puts the check helpers in
' front); each Check line shows the answer to expect.
Dim painter
Set painter = CreateObject("Velmora.ClassForGradient")

' The angle is kept in 0 up to 360 degrees: -90 (top to bottom) reads back 270.
painter.Angle = -90
Check "Angle", painter.Angle, 270
painter.Angle = 725
Check "Angle past a full turn", painter.Angle, 5

' Colours are Longs &H00BBGGRR.
painter.Color1 = &HFF0000   ' blue
painter.Color2 = &H0000FF   ' red
Check "Color1", painter.Color1, &HFF0000

' BlendColors fills an array with the blend from one colour to another.
Dim table
Check "BlendColors count", painter.BlendColors(0, &HFF, 5, table), 5
Check "first", table(0), 0
Check "second", table(1), &H33
Check "last", table(4), &HFF

' painter.Draw Form1.Picture1 paints a host's picture box (a control with
' hWnd and hDC); Velmora.Gradient does the same for a form in one call.

Dim windows
Set windows = CreateObject("Velmora.Velmora")
' The pointer's position by the enumeration Coord (mx 1, my 2); 0 for any
' other selector.
WScript.Echo "Pointer at " & windows.GetCursorLocate(1) & ", " & windows.GetCursorLocate(2)
CheckTrue "pointer X on the screen", windows.GetCursorLocate(1) >= 0
Check "no such coordinate", windows.GetCursorLocate(0), 0
' UnLockCursor frees a pointer that LockCursor confined to a window.
windows.UnLockCursor

Summary "example velmora.vbs"
