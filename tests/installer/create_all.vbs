' Creates every class named on the command line by its ProgID, as a script
' on a machine where the suite was installed would.
Dim i, name, instance
For i = 0 To WScript.Arguments.Count - 1
  name = WScript.Arguments(i)
  Set instance = Nothing
  On Error Resume Next
  Set instance = CreateObject(name)
  CheckTrue "CreateObject " & name & " (error " & Err.Number & ")", Err.Number = 0
  Err.Clear
  On Error GoTo 0
  CheckTrue name & " is an object", IsObject(instance) And Not (instance Is Nothing)
Next
CheckTrue "at least one ProgID", WScript.Arguments.Count > 0
Summary "create_all"
