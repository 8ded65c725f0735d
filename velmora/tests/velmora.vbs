' Velmora from VBScript: Gradient on a script class that logs each property
' access, the selectors, and errors as a script meets them.
Dim lib : Set lib = CreateObject("Velmora.Velmora")

Class FillHost
  Public Log
  Public hWnd
  Private savedStyle
  Private savedFill
  Private savedFore
  Private Sub Class_Initialize
    Log = "" : hWnd = 0 : savedStyle = 1 : savedFill = 255 : savedFore = 65280
  End Sub
  Public Property Get hDC
    hDC = 0
  End Property
  Public Property Get ScaleHeight
    Log = Log & "ScaleHeight;" : ScaleHeight = 10
  End Property
  Public Property Get ScaleWidth
    Log = Log & "ScaleWidth;" : ScaleWidth = 20
  End Property
  Public Property Get FillStyle
    Log = Log & "FillStyle;" : FillStyle = savedStyle
  End Property
  Public Property Let FillStyle(value)
    Log = Log & "FillStyle=" & value & ";" : savedStyle = value
  End Property
  Public Property Get FillColor
    Log = Log & "FillColor;" : FillColor = savedFill
  End Property
  Public Property Let FillColor(value)
    Log = Log & "FillColor=" & value & ";" : savedFill = value
  End Property
  Public Property Get ForeColor
    Log = Log & "ForeColor;" : ForeColor = savedFore
  End Property
  Public Property Let ForeColor(value)
    Log = Log & "ForeColor=" & value & ";" : savedFore = value
  End Property
End Class

Dim host : Set host = New FillHost
Dim startColor, endColor, angle
startColor = &HFF : endColor = 0 : angle = -90
lib.Gradient startColor, endColor, angle, host
Check "properties touched in order", host.Log, _
  "ScaleHeight;ScaleWidth;FillStyle;FillColor;ForeColor;FillStyle=0;FillColor=16777215;ForeColor=0;" & _
  "FillStyle=1;FillColor=255;ForeColor=65280;"
Check "angle variable untouched", angle, -90

Class NoFillStyle
  Public hWnd
  Public hDC
  Public ScaleHeight
  Public ScaleWidth
End Class
On Error Resume Next
lib.Gradient startColor, endColor, angle, New NoFillStyle
Check "missing FillStyle is the host's error", Err.Number, 438
Err.Clear
On Error GoTo 0

Check "ClickMouse with another value", lib.ClickMouse(4), False
Check "GetCursorLocate(0)", lib.GetCursorLocate(0), 0
lib.MoveMouse 300, 200
Check "GetCursorLocate(mx)", lib.GetCursorLocate(1), 300
Check "GetCursorLocate(my)", lib.GetCursorLocate(2), 200
Check "no window to centre on", lib.CenterMouseOnElement(0), False
lib.LockCursor 0
lib.UnLockCursor
lib.CloseLock 0
lib.OnTop 0, True
Check "MinimizedAllWindows", lib.MinimizedAllWindows(), True
On Error Resume Next
lib.MoveMouse 2147483647, 0
Check "overflow", Err.Number, 6
Err.Clear
On Error GoTo 0

Summary "velmora.vbs"
