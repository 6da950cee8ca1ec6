' Run against a server whose platform is not Windows NT
' (CORVANE_SIMULATED_PLATFORM_ID=1): creation fails with the component's
' own error number and the client gets no object. Ends with
' "N passed, N failed".
'
' Under Wine, CreateObject reports every creation failure as error 429,
' and the error info (source, description) of a failed creation does not
' cross processes; GetObject("new:...") passes the number through. The
' source and description are checked in-process by server_unit_test.exe.
Option Explicit
On Error Resume Next

Dim passed, failed, d, number
passed = 0
failed = 0

Sub Check(name, condition)
  If condition Then
    passed = passed + 1
  Else
    WScript.Echo "FAIL " & name
    failed = failed + 1
  End If
End Sub

Set d = CreateObject("Corvane.NTDomain")
Check "CreateObject fails", Err.Number <> 0
Check "CreateObject gives no object", Not IsObject(d)
Err.Clear

Set d = GetObject("new:{0D4F3052-B486-11CF-9C8E-000000000000}")
number = Err.Number
If number <> -2147221503 Then WScript.Echo "got error " & number & ": " & Err.Description
Check "the platform check's error number", number = -2147221503
Check "GetObject gives no object", Not IsObject(d)
Err.Clear

WScript.Echo passed & " passed, " & failed & " failed"
