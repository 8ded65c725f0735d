' The shipped x86 DLLs as a 32-bit host meets them: every class created by its
' ProgID and called late-bound, a by-reference argument and an error number
' from each library. Nothing here depends on timings or memory figures, which
' emulation distorts.
Dim shell : Set shell = CreateObject("WScript.Shell")
Check "32-bit host", shell.Environment("PROCESS").Item("PROCESSOR_ARCHITECTURE"), "x86"

Dim lirrow : Set lirrow = CreateObject("Lirrow.Lirrow")
Check "Lirrow FindAndReplace", lirrow.FindAndReplace("abcabc", "b", "x"), "axcaxc"
Dim future : future = DateSerial(Year(Date) + 1, 1, 1)
Check "Lirrow CalcAge of a future date", lirrow.DateFunction(13, future), 0
Check "Lirrow writes today into the variable", future, Date
On Error Resume Next
lirrow.StringCount String(40000, "x"), "x"
Check "Lirrow error number", Err.Number, 6
Err.Clear
On Error GoTo 0

Dim velmora : Set velmora = CreateObject("Velmora.Velmora")
Check "Velmora GetCursorLocate is a number", IsNumeric(velmora.GetCursorLocate(1)), True
Dim painter : Set painter = CreateObject("Velmora.ClassForGradient")
painter.Angle = 45
Check "ClassForGradient Angle", painter.Angle, 45
Dim table
painter.BlendColors &HFF0000, &H0000FF, 3, table
Check "BlendColors fills the variable", UBound(table), 2
Check "BlendColors first colour", table(0), &HFF0000
Dim fixed(1)
On Error Resume Next
painter.BlendColors &HFF0000, &H0000FF, 3, fixed
Check "Velmora error number", Err.Number, 10
Err.Clear
On Error GoTo 0

Dim tarsen : Set tarsen = CreateObject("Tarsen.Tarsen")
Check "Tarsen WindowsType", tarsen.WindowsType, 2
' A handle that names no window is looked at like any other: its caption is
' empty, and the part is lower-cased into the caller's variable on the way.
Dim part : part = "No Such Caption Anywhere"
Check "Tarsen GetWindowHandle of no window", tarsen.GetWindowHandle(part, &H7FFFFFF0), 0
Check "Tarsen lower-cases the caption variable", part, "no such caption anywhere"
On Error Resume Next
tarsen.StartAndWait "Z:\no\such\program.exe"
Check "Tarsen error number", Err.Number, 53
Err.Clear
On Error GoTo 0

Dim corvane : Set corvane = CreateObject("Corvane.Corvane")
Check "Corvane FolderOrFileExist", corvane.FolderOrFileExist("C:\windows"), True
' Corvane writes none of its arguments back unchanged: a by-reference
' variable of another kind is read and keeps its kind.
Dim unit : unit = CInt(1)
Check "Corvane size of a missing path", corvane.FolderOrFileSize("C:\no\such\file.bin", unit), "0"
Check "Corvane leaves the variable's kind", TypeName(unit), "Integer"
On Error Resume Next
corvane.FolderOrFileTimeCreate "C:\no\such\file.bin"
Check "Corvane error number", Err.Number, 53
Err.Clear
On Error GoTo 0
Summary "x86 smoke"
