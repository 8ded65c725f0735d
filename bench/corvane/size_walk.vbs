' Times one FolderOrFileSize of the tree given as argument.
Dim lib : Set lib = CreateObject("Corvane.Corvane")
Dim started : started = Timer
Dim total : total = lib.FolderOrFileSize(WScript.Arguments(0), 1)
WScript.Echo "corvane " & total & " " & FormatNumber(Timer - started, 3, True, False, False)
