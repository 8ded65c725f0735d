' Shared checks for the script tests (put in front of each script by tools/run-script).
Dim checks_passed, checks_failed
checks_passed = 0
checks_failed = 0

' Numbers compare by value whatever their kind; texts, Booleans and dates
' must also be of the same kind.
Function SameValue(actual, expected)
  SameValue = False
  If IsNumeric(actual) And IsNumeric(expected) And VarType(actual) <> vbString And VarType(expected) <> vbString _
     And VarType(actual) <> vbBoolean And VarType(expected) <> vbBoolean Then
    SameValue = (actual = expected)
  ElseIf TypeName(actual) = TypeName(expected) Then
    SameValue = (actual = expected)
  End If
End Function

Sub Check(name, actual, expected)
  If SameValue(actual, expected) Then
    checks_passed = checks_passed + 1
  Else
    checks_failed = checks_failed + 1
    WScript.Echo "FAIL " & name & ": got " & TypeName(actual) & " [" & actual & "], expected " & TypeName(expected) & " [" & expected & "]"
  End If
End Sub

Sub CheckTrue(name, condition)
  If condition Then
    checks_passed = checks_passed + 1
  Else
    checks_failed = checks_failed + 1
    WScript.Echo "FAIL " & name
  End If
End Sub

Sub Summary(name)
  WScript.Echo name & ": " & checks_passed & " passed, " & checks_failed & " failed"
End Sub
