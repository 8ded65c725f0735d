' From VBScript under this host: our FindAndReplace next to VBScript's own
' Replace on the same 8 MB text; then the cost of a late-bound call, 100,000
' StringCount calls next to 100,000 calls of a system component's method under
' the same host (Scripting.Dictionary's Exists) and next to the built-in InStr,
' with the bare loop for reference. Rounds in turns, best of each.
Option Explicit
Dim lib : Set lib = CreateObject("Lirrow.Lirrow")
Dim dict : Set dict = CreateObject("Scripting.Dictionary")
dict.Add "abab", 1
Dim piece : piece = String(60, "a") & "XYZ"
Dim text : text = piece
Do While Len(text) < 5000000
  text = text & text
Loop
Const ROUNDS = 3
Const CALLS = 100000
Dim t, i, r, result
Dim ours : ours = 1E9
Dim theirs : theirs = 1E9
For r = 1 To ROUNDS
  t = Timer : result = lib.FindAndReplace(text, "XYZ", "--") : ours = Least(ours, Timer - t)
  t = Timer : result = Replace(text, "XYZ", "--") : theirs = Least(theirs, Timer - t)
Next
WScript.Echo "FindAndReplace " & Len(text) & " chars: ours " & FormatNumber(ours, 3) & " s, VBScript Replace " & _
  FormatNumber(theirs, 3) & " s, ratio " & Ratio(ours, theirs)

Dim counting : counting = 1E9
Dim exists : exists = 1E9
Dim instring : instring = 1E9
Dim bare : bare = 1E9
For r = 1 To ROUNDS
  t = Timer
  For i = 1 To CALLS : result = lib.StringCount("abab", "b") : Next
  counting = Least(counting, Timer - t)
  t = Timer
  For i = 1 To CALLS : result = dict.Exists("abab") : Next
  exists = Least(exists, Timer - t)
  t = Timer
  For i = 1 To CALLS : result = InStr("abab", "b") : Next
  instring = Least(instring, Timer - t)
  t = Timer
  For i = 1 To CALLS : result = i : Next
  bare = Least(bare, Timer - t)
Next
WScript.Echo CALLS & " calls, best of " & ROUNDS & ": StringCount(""abab"", ""b"") " & FormatNumber(counting, 3) & _
  " s, Scripting.Dictionary Exists(""abab"") " & FormatNumber(exists, 3) & " s, ratio " & Ratio(counting, exists) & _
  " (less the bare loop of " & FormatNumber(bare, 3) & " s: " & Ratio(counting - bare, exists - bare) & ")"
WScript.Echo CALLS & " calls: StringCount late-bound " & FormatNumber(counting, 3) & " s, built-in InStr " & _
  FormatNumber(instring, 3) & " s, ratio " & Ratio(counting, instring)

Function Least(a, b)
  If b < a Then Least = b Else Least = a
End Function

Function Ratio(a, b)
  If b > 0 Then Ratio = FormatNumber(a / b, 2) Else Ratio = "n/a"
End Function
