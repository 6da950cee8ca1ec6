' Run against a server whose demo domain holds 32,768 normal accounts
' (CORVANE_SIMULATED_USERS=32768): the user listing fails on the 32,768th
' name with an overflow, and the script that carries on has the first
' 32,767 names. Ends with "N passed, N failed".
Option Explicit
On Error Resume Next

Dim passed, failed, d, u, names, number
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
d.sDomain = "CORVANE"
Check "controller located", d.sDC = "\\DC1"
Set u = d.Users
names = Array("before")
u.Enumerate names
number = Err.Number
Err.Clear
Check "the 32,768th name overflows (error " & number & ")", number = 6
Check "the first 32,767 names are kept", LBound(names) = 0 And UBound(names) = 32767
Check "element 0 empty, the demo accounts first", names(0) = "" And names(1) = "Administrator" And names(3) = "alice"
Check "the last name kept", names(32767) = "user32762"
Check "the overflow is no directory error", u.sLastError = "SUCCESS"
Set u = Nothing
Set d = Nothing

WScript.Echo passed & " passed, " & failed & " failed"
