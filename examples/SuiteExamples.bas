Attribute VB_Name = "SuiteExamples"
' The suite from VBA (Excel, Word, Access): import this module (File > Import
' File), then run Examples from the macro list; the answers appear in the
' Immediate window (Ctrl+G). Late-bound, so no reference is needed; for early
' binding add the four type libraries under Tools > References and declare the
' variables As Lirrow.Lirrow and so on. 64-bit Office uses the x64 DLLs,
' 32-bit Office the x86 ones.
Option Explicit

Public Sub Examples()
    TextExamples
    CalendarExamples
    SystemExamples
    FileExamples
    GradientExamples
End Sub

Private Sub TextExamples()
    Dim text As Object
    Set text = CreateObject("Lirrow.Lirrow")
    Debug.Print text.FindAndReplace("2026-12-07", "-", "/")      ' 2026/12/07
    Debug.Print text.StringCount("a;b;c", ";")                   ' 2
    On Error Resume Next
    Dim count As Integer
    count = text.StringCount(String(40000, "x"), "x")
    Debug.Print Err.Number, Err.Description                      ' 6  Overflow
    On Error GoTo 0
End Sub

Private Sub CalendarExamples()
    Dim text As Object
    Set text = CreateObject("Lirrow.Lirrow")
    Dim day As Date, whatToCompute As Long, year As Integer
    day = DateSerial(2024, 2, 10)
    whatToCompute = 3                                            ' LastOfMonth
    Debug.Print text.DateFunction(whatToCompute, day)            ' 29.02.2024
    year = 2024
    Debug.Print text.IsLeapYear(year)                            ' 1
End Sub

Private Sub SystemExamples()
    Dim system As Object
    Set system = CreateObject("Tarsen.Tarsen")
    Debug.Print system.WindowsType                               ' 2 on the NT family
    Debug.Print system.GetComputerName
    Debug.Print system.GetSystemDirs(18, 1)                      ' C:\Windows\  (Windows, with a backslash)
    Debug.Print system.MemoryWork(7)                             ' physical memory in MB
    Debug.Print system.DriveType("C:\")                          ' 2 (fixed disk)
End Sub

Private Sub FileExamples()
    Dim files As Object
    Set files = CreateObject("Corvane.Corvane")
    Debug.Print files.FolderOrFileExist(Environ("TEMP"))         ' True
    Debug.Print files.FolderOrFileSize(Environ("TEMP"), 2)       ' size in KB as text
    Debug.Print files.DOSPath(Environ("TEMP"))                   ' the short 8.3 form
End Sub

Private Sub GradientExamples()
    Dim painter As Object
    Set painter = CreateObject("Velmora.ClassForGradient")
    painter.Angle = -90
    Debug.Print painter.Angle                                    ' 270
    Dim table() As Long
    Debug.Print painter.BlendColors(0, &HFF, 5, table)           ' 5
    Debug.Print table(0), table(1), table(4)                     ' 0  51  255
    ' painter.Draw Me.Picture1    paints a picture box of a VB form
End Sub
