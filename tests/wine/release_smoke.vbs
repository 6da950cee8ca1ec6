' A first use of the server installed from the release zip: create the
' domain object through the registered classes and type library, and use
' members that need no domain controller. Prints "N passed, N failed".
Option Explicit
Dim passed, failed
passed = 0
failed = 0

Sub Check(name, condition)
  If condition Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAIL " & name
  End If
End Sub

Dim domain
Set domain = CreateObject("Corvane.NTDomain")
Check "created, described by the type library", TypeName(domain) = "_NTDomain"
domain.eLogging = 2
Check "eLogging round trip", domain.eLogging = 2
Check "sLastError readable", VarType(domain.sLastError) = vbString
Check "children reachable", TypeName(domain.Users) = "NTUser" And _
  TypeName(domain.Groups) = "NTGroup"
Set domain = Nothing

WScript.Echo passed & " passed, " & failed & " failed"
