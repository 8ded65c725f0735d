' Run only in a Wine session of its own: the log-off ends the session.
Dim sys : Set sys = CreateObject("Tarsen.Tarsen")
On Error Resume Next
sys.WinLogOff
WScript.Echo "returned " & Err.Number
WScript.Sleep 10000
