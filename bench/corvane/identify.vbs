' Times FileIdentify of the two files given as arguments.
Dim lib : Set lib = CreateObject("Corvane.Corvane")
Dim started : started = Timer
Dim same : same = lib.FileIdentify(WScript.Arguments(0), WScript.Arguments(1))
WScript.Echo "identify " & same & " " & FormatNumber(Timer - started, 3, True, False, False)
