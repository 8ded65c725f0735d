' Velmora from VBScript: the gradient painter's settings and colour table.
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

Summary "example velmora.vbs"
