' From VBScript under Wine: our FindAndReplace next to VBScript's own Replace
' on the same 10 MB text, and the cost of one late-bound call next to one
' built-in function call, in the same run.
Option Explicit
Dim lib : Set lib = CreateObject("Lirrow.Lirrow")
Dim piece : piece = String(60, "a") & "XYZ"
Dim text : text = piece
Do While Len(text) < 5000000
  text = text & text
Loop
Dim t, i, ours, theirs, result
t = Timer : result = lib.FindAndReplace(text, "XYZ", "--") : ours = Timer - t
t = Timer : result = Replace(text, "XYZ", "--") : theirs = Timer - t
WScript.Echo "FindAndReplace " & Len(text) & " chars: ours " & FormatNumber(ours, 3) & " s, VBScript Replace " & FormatNumber(theirs, 3) & " s, ratio " & FormatNumber(ours / theirs, 2)
Const CALLS = 100000
t = Timer
For i = 1 To CALLS : result = lib.StringCount("abc", "b") : Next
ours = Timer - t
t = Timer
For i = 1 To CALLS : result = InStr("abc", "b") : Next
theirs = Timer - t
WScript.Echo CALLS & " calls: StringCount late-bound " & FormatNumber(ours, 3) & " s, built-in InStr " & FormatNumber(theirs, 3) & " s, ratio " & FormatNumber(ours / theirs, 2)
