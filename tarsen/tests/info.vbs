' The system facts from VBScript, each method called by name.
Dim sys : Set sys = CreateObject("Tarsen.Tarsen")
Dim shell : Set shell = CreateObject("WScript.Shell")
Dim fso : Set fso = CreateObject("Scripting.FileSystemObject")

Check "WindowsType", sys.WindowsType, 2
Check "WindowsType is Integer", TypeName(sys.WindowsType), "Integer"
Check "WindowsWorkState", sys.WindowsWorkState, 1
CheckTrue "WorkTime is whole seconds", TypeName(sys.WorkTime) = "Long" And sys.WorkTime >= 0

Check "WorkRegion 3", sys.WindowsWorkRegion(3), 0
CheckTrue "WorkRegion bottom", sys.WindowsWorkRegion(1) > 0 And sys.WindowsWorkRegion(1) <= 768
CheckTrue "WorkRegion right", sys.WindowsWorkRegion(2) > 0 And sys.WindowsWorkRegion(2) <= 1024
Dim mode : mode = 1
Check "WorkRegion mode variable", sys.WindowsWorkRegion(mode), sys.WindowsWorkRegion(1)
Check "mode untouched", mode, 1

Dim windir : windir = shell.ExpandEnvironmentStrings("%WINDIR%")
Check "Windows, slash", LCase(sys.GetSystemDirs(18, 1)), LCase(windir) & "\"
Check "Windows, no slash", LCase(sys.GetSystemDirs(18, 0)), LCase(windir)
Check "Windows, True gives no slash", LCase(sys.GetSystemDirs(18, True)), LCase(windir)
Check "System32", LCase(sys.GetSystemDirs(19, 0)), LCase(fso.GetSpecialFolder(1).Path)
Check "Temp ends in two backslashes", Right(sys.GetSystemDirs(16, 1), 2), "\\"
Check "17 is no member", sys.GetSystemDirs(17, 1), ""
Check "20 is no member", sys.GetSystemDirs(20, 0), ""
Check "-1 is no member", sys.GetSystemDirs(-1, 1), ""
CheckTrue "Fonts folder", fso.FolderExists(sys.GetSystemDirs(9, 0))
CheckTrue "My documents", Len(sys.GetSystemDirs(11, 1)) > 1

Check "computer name", UCase(sys.GetComputerName), UCase(shell.ExpandEnvironmentStrings("%COMPUTERNAME%"))
Check "user name", sys.GetUserName, shell.ExpandEnvironmentStrings("%USERNAME%")

Check "MemoryWork is Double", TypeName(sys.MemoryWork(7)), "Double"
CheckTrue "physical memory", sys.MemoryWork(7) > 0
Check "total = physical + page file", sys.MemoryWork(6), sys.MemoryWork(7) + sys.MemoryWork(4)
Dim percent : percent = sys.MemoryWork(5)
CheckTrue "percentage", percent >= 0 And percent <= 100 And percent = Int(percent)
Check "mode 8", sys.MemoryWork(8), 0
Check "mode 0", sys.MemoryWork(0), 0

Summary "tarsen_info.vbs"
