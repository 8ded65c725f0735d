' Prints how this bitness's processes see the registration of some classes:
' their keys in this bitness's registry view (the machine's classes, and with
' "user" the user's classes too) and whether CreateObject finds them. One
' line per class; the servers' paths are written as the labels of their
' folders.
'   registration_state.vbs <view> <label>=<folder>... <progid>,<clsid>,<iid>,<libid>,<version>...
Dim shell, args, view, labels, i, arg, parts
Set shell = CreateObject("WScript.Shell")
Set labels = CreateObject("Scripting.Dictionary")
view = WScript.Arguments(0)
' "Not there" means something only where the same reads find the standard
' marshaller's class, which every system has in both views.
If Read("HKLM\Software\Classes\CLSID\{00020424-0000-0000-C000-000000000046}\InprocServer32\") = "" Then
  WScript.Echo view & " FAIL the machine's classes cannot be read"
End If
For i = 1 To WScript.Arguments.Count - 1
  arg = WScript.Arguments(i)
  If InStr(arg, "=") > 0 Then
    labels.Add LCase(Mid(arg, InStr(arg, "=") + 1)), Left(arg, InStr(arg, "=") - 1)
  Else
    parts = Split(arg, ",")
    WScript.Echo view & " " & parts(0) & " " & State("HKLM\Software\Classes\", parts) & Created(parts(0))
    If view = "user64" Or view = "user32" Then WScript.Echo view & " " & parts(0) & " user " & State("HKCU\Software\Classes\", parts)
  End If
Next

' The value, "" when it or its key is not there (the registry's "not
' found"), or an error text that matches no expected state.
Function Read(path)
  On Error Resume Next
  Read = ""
  Read = shell.RegRead(path)
  If Err.Number <> 0 And Err.Number <> -2147024894 Then Read = "error " & Err.Number
  Err.Clear
End Function

Function Label(path)
  Dim folder
  Label = "none"
  If path = "" Then Exit Function
  Label = "other:" & path
  If InStrRev(path, "\") = 0 Then Exit Function
  folder = LCase(Left(path, InStrRev(path, "\") - 1))
  If labels.Exists(folder) Then Label = labels(folder) Else Label = "other:" & path
End Function

Function YesNo(condition)
  If condition Then YesNo = "yes" Else YesNo = "no"
End Function

Function State(root, parts)
  Dim tlb
  tlb = root & "TypeLib\" & parts(3) & "\" & parts(4) & "\"
  State = "clsid=" & Label(Read(root & "CLSID\" & parts(1) & "\InprocServer32\")) & _
    " iface=" & YesNo(Read(root & "Interface\" & parts(2) & "\ProxyStubClsid32\") <> "") & _
    " progid=" & YesNo(Read(root & parts(0) & "\Clsid\") = parts(1)) & _
    " win32=" & Label(Read(tlb & "0\win32\")) & " win64=" & Label(Read(tlb & "0\win64\")) & _
    " lib=" & YesNo(Read(tlb) <> "")
End Function

Function Created(progid)
  Dim instance
  On Error Resume Next
  Set instance = CreateObject(progid)
  Created = " create=" & Err.Number
  Err.Clear
End Function
