' TextCode and ANSI2OEM from VBScript under the code pages the test runs with.
' Argument: the ANSI code page in force (1251 with OEM 866, or 1252 with OEM 437).
Dim lib : Set lib = CreateObject("Lirrow.Lirrow")
Dim code_page : code_page = CLng(WScript.Arguments(0))
Const Win = 1, Dos = 2

' The characters of the bytes 0xAE and 0xEE: in 1251 the registered sign and
' the Cyrillic small letter o, in 1252 the registered sign and i circumflex.
Dim marker_dos : marker_dos = Chr(174)
Dim marker_win : marker_win = Chr(238)

' ANSI bytes and the ANSI byte of their OEM form.
Dim pairs
If code_page = 1251 Then
  pairs = Array(238, 174, 192, 128, 255, 239, 224, 160, 240, 224, 65, 65, 48, 48)
Else
  pairs = Array(238, 140, 233, 130, 241, 164, 199, 128, 65, 65, 48, 48)
End If
Dim i, s, r
For i = 0 To UBound(pairs) Step 2
  Check "ANSI2OEM of byte " & pairs(i), lib.ANSI2OEM(Chr(pairs(i))), Chr(pairs(i + 1))
Next

Check "empty text code", lib.TextCode(""), Win
Check "empty text converted", lib.ANSI2OEM(""), ""
Check "result kind", TypeName(lib.TextCode("")), "Long"
Check "ASCII converted", lib.ANSI2OEM("Hello, World 123"), "Hello, World 123"
Check "ASCII code", lib.TextCode("Hello"), Win

Dim three : three = marker_win & marker_win & marker_win
Check "three Windows markers", lib.TextCode(three), Win
Check "one DOS marker", lib.TextCode(marker_dos), Dos
Check "one of each", lib.TextCode(marker_dos & marker_win), Win
Check "two to one", lib.TextCode(marker_dos & marker_win & "x" & marker_dos), Dos
If code_page = 1251 Then
  ' The letter o turns into the DOS marker, so converted text reads as DOS.
  Check "o o o converted", lib.ANSI2OEM(three), marker_dos & marker_dos & marker_dos
  Check "converted text is DOS", lib.TextCode(lib.ANSI2OEM(three)), Dos
  Check "converted word", lib.TextCode(lib.ANSI2OEM("Hello " & Chr(236) & Chr(232) & Chr(240))), Win
  Check "converted word with o", lib.TextCode(lib.ANSI2OEM(Chr(241) & Chr(238) & Chr(234))), Dos
Else
  Check "i circumflex converted", lib.ANSI2OEM(three), Chr(140) & Chr(140) & Chr(140)
  Check "converted text has no marker", lib.TextCode(lib.ANSI2OEM(three)), Win
End If

' A NUL ends the conversion; the result keeps the text's length.
s = "ab" & Chr(0) & marker_win & "c"
r = lib.ANSI2OEM(s)
Check "NUL length", Len(r), 5
Check "NUL rest", r, "ab" & Chr(0) & Chr(0) & Chr(0)

' The caller's variables are never written.
s = marker_win & "x" & marker_dos
r = lib.ANSI2OEM(s)
Check "ANSI2OEM source kept", s, marker_win & "x" & marker_dos
r = lib.TextCode(s)
Check "TextCode source kept", s, marker_win & "x" & marker_dos
Dim number : number = 238
r = lib.ANSI2OEM(number)
Check "number converted as text", r, "238"
Check "number kept", TypeName(number), "Integer"

' Lengths and counters are 16-bit.
Check "32766 code units", lib.TextCode(String(32766, "x")), Win
Check "32766 DOS markers", lib.TextCode(String(32766, marker_dos)), Dos
Check "long text converted", Len(lib.ANSI2OEM(String(100000, marker_win))), 100000
On Error Resume Next
r = lib.TextCode(String(32767, "x"))
Check "32767 code units", Err.Number, 6
Err.Clear
r = lib.TextCode(String(40000, marker_dos))
Check "40000 code units", Err.Number, 6
Err.Clear
On Error GoTo 0

Summary "lirrow_codepage.vbs (" & code_page & ")"
