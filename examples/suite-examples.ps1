# The suite from PowerShell: the same calls as the VBA module, late-bound
# through New-Object -ComObject. 64-bit PowerShell uses the x64 DLLs, the
# 32-bit one (SysWOW64) the x86 DLLs. Run: powershell -File suite-examples.ps1
$ErrorActionPreference = 'Stop'

$text = New-Object -ComObject Lirrow.Lirrow
$text.FindAndReplace('2026-12-07', '-', '/')           # 2026/12/07
$text.StringCount('a;b;c', ';')                        # 2
try {
    $text.StringCount('x' * 40000, 'x') | Out-Null
} catch {
    # The run-time error travels as a COM exception: 0x800A0006, "Overflow".
    '{0:X8} {1}' -f $_.Exception.InnerException.HResult, $_.Exception.InnerException.Message
}
[int]$whatToCompute = 3                                # LastOfMonth
[datetime]$day = '2024-02-10'
$text.DateFunction([ref]$whatToCompute, [ref]$day)     # 29 February 2024
$text.IsLeapYear(2024)                                 # 1

$system = New-Object -ComObject Tarsen.Tarsen
$system.WindowsType()                                  # 2 on the NT family
$system.GetComputerName()
$system.GetSystemDirs(18, 1)                           # C:\Windows\
$system.MemoryWork(7)                                  # physical memory in MB

$files = New-Object -ComObject Corvane.Corvane
$files.FolderOrFileExist($env:TEMP)                    # True
$files.FolderOrFileSize($env:TEMP, 2)                  # size in KB as text

$painter = New-Object -ComObject Velmora.ClassForGradient
$painter.Angle = -90
$painter.Angle                                         # 270

foreach ($object in $text, $system, $files, $painter) {
    [void][System.Runtime.InteropServices.Marshal]::ReleaseComObject($object)
}
