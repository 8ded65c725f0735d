' Tarsen from VBScript: facts about the running system.
' Run with tools/run-script examples/tarsen.vbs (it puts the check helpers in
' front); each Check line shows the answer to expect.
Dim system
Set system = CreateObject("Tarsen.Tarsen")

' The family: 2 for the NT line of Windows.
Check "WindowsType", system.WindowsType, 2
WScript.Echo "Computer: " & system.GetComputerName & ", user: " & system.GetUserName
CheckTrue "a computer name", Len(system.GetComputerName) > 0
CheckTrue "seconds since start", system.WorkTime > 0

' Folders by the enumeration SystemFolders; Slash 1 adds the backslash.
Const Windows = 18, Temp = 16
Dim folder : folder = system.GetSystemDirs(Windows, 1)
WScript.Echo "Windows folder: " & folder
Check "ends with a backslash", Right(folder, 1), "\"
Check "same folder without it", system.GetSystemDirs(Windows, 0) & "\", folder

' Memory figures by the enumeration mMemory (TotalPhysicalMemory = 7), in MB.
CheckTrue "physical memory", system.MemoryWork(7) > 0
' Drives: 2 is a fixed disk, 0 a root that names nothing.
Check "DriveType of C:\", system.DriveType("C:\"), 2
Check "DriveType of a missing drive", system.DriveType("Q:\"), 0

Summary "example tarsen.vbs"
