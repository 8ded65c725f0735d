' The frame's calling convention as a VBScript writer meets it: variables are
' passed by reference and receive what a method writes; literals are not.
Dim probe : Set probe = CreateObject("FrameProbe.Probe")

Dim text : text = "abc"
Check "old text returned", probe.Shout(text), "abc"
Check "variable written back", text, "abc!"
Check "literal call", probe.Shout("xyz"), "xyz"
Check "parenthesised variable is a value", probe.Shout((text)), "abc!"
Check "value not written back", text, "abc!"

Dim n : n = 21
Check "number by reference", probe.Twice(n), 21
Check "number written back", n, 42
Dim untouched : untouched = 5
Check "kind kept when unchanged", TypeName(untouched), "Integer"

Dim d
Check "date set", probe.SetDate(d), True
Check "empty variable became a date", TypeName(d), "Date"
Check "date value", CDbl(d), 1.5

Dim flag : flag = False
Check "Boolean result", probe.Flip(flag), True
Check "Boolean written back", flag, True

Dim values
Check "array filled", probe.Fill(values), 3
Check "array received", UBound(values), 2
Check "array element", values(1), 20

Dim anything : anything = 3
Check "variant passed itself", probe.Kind(anything), "2"
Check "variant cleared by the method", IsEmpty(anything), True

probe.Level = 12
Check "property let and get", probe.Level, 12

Check "ties to even", probe.ToInteger(2.5), 2
On Error Resume Next
Dim r : r = probe.ToInteger(32767.5)
Check "overflow number", Err.Number, 6
Check "overflow text", Err.Description, "Overflow"
Err.Clear
r = probe.Fail(53)
Check "file not found", Err.Number, 53
Check "file not found text", Err.Description, "File not found"
Err.Clear
r = probe.Twice("not a number")
Check "type mismatch", Err.Number, 13
Err.Clear
r = probe.Twice(1, 2)
CheckTrue "too many arguments", Err.Number <> 0
On Error GoTo 0

Summary "dispatch.vbs"
