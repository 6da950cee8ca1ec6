' Where the server's registration is in the registry, as the release check
' expects it: cscript release_keys.vbs user|machine|none
'   user     every key under HKCU\Software\Classes, none for all users
'   machine  every key for all users (HKLM\Software\Classes, HKCR) with the
'            event source, none under HKCU
'   none     no key anywhere
' Prints "N passed, N failed".
Option Explicit
Dim shell, passed, failed, scope
Set shell = CreateObject("WScript.Shell")
passed = 0
failed = 0
scope = WScript.Arguments(0)

Function Present(key)
  On Error Resume Next
  shell.RegRead key
  Present = (Err.Number = 0)
  Err.Clear
End Function

Sub Expect(key, wanted)
  If Present(key) = wanted Then
    passed = passed + 1
  Else
    failed = failed + 1
    If wanted Then
      WScript.Echo "FAIL missing: " & key
    Else
      WScript.Echo "FAIL left: " & key
    End If
  End If
End Sub

' Each key with a default value that registration writes.
Dim keys
keys = Array( _
  "CLSID\{0D4F3052-B486-11CF-9C8E-000000000000}\LocalServer32\", _
  "CLSID\{0D4F3050-B486-11CF-9C8E-000000000000}\LocalServer32\", _
  "CLSID\{0D4F304D-B486-11CF-9C8E-000000000000}\LocalServer32\", _
  "Corvane.NTDomain\CLSID\", _
  "TypeLib\{0D4F3054-B486-11CF-9C8E-000000000000}\1.0\409\win64\", _
  "Interface\{0D4F3051-B486-11CF-9C8E-000000000000}\ProxyStubClsid32\", _
  "Interface\{0D4F304F-B486-11CF-9C8E-000000000000}\ProxyStubClsid32\", _
  "Interface\{0D4F304C-B486-11CF-9C8E-000000000000}\ProxyStubClsid32\")

Dim key
For Each key In keys
  Expect "HKCU\Software\Classes\" & key, scope = "user"
  Expect "HKLM\Software\Classes\" & key, scope = "machine"
  ' HKCR merges both on Windows: it shows a registration for one user too.
  If scope <> "user" Then Expect "HKCR\" & key, scope = "machine"
Next
Expect "HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Corvane\EventMessageFile", scope = "machine"

WScript.Echo passed & " passed, " & failed & " failed"
