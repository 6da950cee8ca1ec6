' The server as a VBScript client meets it: created by ProgID, every member
' reached by name, the demo domain CORVANE of the simulated controller.
' Run by run-wine-tests.sh with cscript; CORVANE_EVENT_FILE names the file
' the server copies its events to. Ends with "N passed, N failed".
Option Explicit
On Error Resume Next

Dim passed, failed
passed = 0
failed = 0

Sub Check(name, condition)
  If Err.Number <> 0 Then
    WScript.Echo "FAIL " & name & " (error " & Err.Number & ": " & Err.Description & ")"
    failed = failed + 1
    Err.Clear
  ElseIf condition Then
    passed = passed + 1
  Else
    WScript.Echo "FAIL " & name
    failed = failed + 1
  End If
End Sub

' An error the previous statement raised, by number; clears it.
Sub CheckError(name, number)
  If Err.Number = number Then
    passed = passed + 1
  Else
    WScript.Echo "FAIL " & name & " (error " & Err.Number & ": " & Err.Description & ", expected " & number & ")"
    failed = failed + 1
  End If
  Err.Clear
End Sub

Function Contains(list, name)
  Dim i
  Contains = False
  For i = LBound(list) To UBound(list)
    If list(i) = name Then Contains = True
  Next
End Function

Function CountLines(text)
  Dim fso, file, line
  CountLines = 0
  Set fso = CreateObject("Scripting.FileSystemObject")
  Dim path : path = CreateObject("WScript.Shell").Environment("PROCESS")("CORVANE_EVENT_FILE")
  If Not fso.FileExists(path) Then Exit Function
  Set file = fso.OpenTextFile(path, 1)
  Do While Not file.AtEndOfStream
    line = file.ReadLine
    If InStr(line, text) > 0 Then CountLines = CountLines + 1
  Loop
  file.Close
End Function

Dim d, g, u, gu, list, ok, value, ends
Set d = CreateObject("Corvane.NTDomain")
Check "CreateObject by ProgID", IsObject(d)
Check "a new domain has no name", d.sDomain = ""
Check "a new domain has no controller", d.sDC = ""
Check "a new domain has no result", d.sLastError = ""
Check "a new domain logs additions and deletions", d.eLogging = 1

d.eLogging = 7
Check "eLogging keeps 7", d.eLogging = 7
d.eLogging = -1
Check "eLogging keeps -1", d.eLogging = -1
d.eLogging = 1

' A variable or an array element reaches a by-reference member as a
' reference to the script's own variant: it is read as a value would be,
' and never written back.
Dim level, levels(2)
level = "2"
d.eLogging = level
Check "eLogging from a variable", d.eLogging = 2 And TypeName(level) = "String"
levels(2) = 0
d.eLogging = levels(2)
Check "eLogging from an array element", d.eLogging = 0 And levels(2) = 0
d.eLogging = level - 1
Check "eLogging from an expression", d.eLogging = 1

' Without a controller the group listing touches nothing, not even Empty.
Dim untouched
d.Groups.Enumerate untouched
Check "no controller: listing leaves Empty", IsEmpty(untouched)

d.sDomain = "NOWHERE"
Check "unknown domain: no controller", d.sDC = ""
Check "unknown domain: lookup error", d.sLastError = "ERROR - Unable to locate domain controller (error #2453)"
Check "unknown domain: name kept", d.sDomain = "NOWHERE"
d.sDomain = "CORVANE"
Check "controller located", d.sDC = "\\DC1"
Check "lookup succeeded", d.sLastError = "SUCCESS"

Set g = d.Groups
Check "Groups is an object", IsObject(g)
Check "Groups read twice is the same object", d.Groups Is g
Set u = d.Users
Check "Users read twice is the same object", d.Users Is u
Check "the group's owner is the domain", g.oParent Is d
Check "the user's owner is the domain", u.oParent Is d

' Enumerate fills a by-reference variant: lower bound 0, element 0 empty.
Dim groups
g.Enumerate groups
Check "group listing raised nothing", True
Check "group listing lower bound 0", LBound(groups) = 0
Check "group listing element 0 empty", groups(0) = ""
Check "group listing has the three groups", UBound(groups) = 3
Check "group listing has Sales", Contains(groups, "Sales")
Check "group listing has Domain Admins", Contains(groups, "Domain Admins")

g.sGroupName = "Sales"
Check "group selected", g.sGroupName = "Sales" And g.sLastError = "SUCCESS"
Check "group comment read", g.sComment = "Sales team"
g.sComment = "Sales and marketing"
Check "group comment changed", g.sComment = "Sales and marketing" And g.sLastError = "SUCCESS"

Dim gn, gc, groupFields(1)
gn = "Testers"
gc = "Quality assurance"
ok = g.Add(gn, gc)
Check "group added from variables", ok = True And g.sLastError = "SUCCESS" And gn = "Testers" And gc = "Quality assurance"
Dim withTesters
g.Enumerate withTesters
Check "added group listed", Contains(withTesters, "Testers")
groupFields(0) = "Auditors"
groupFields(1) = "Internal audit"
ok = g.Add(groupFields(0), groupFields(1))
Check "group added from array elements", ok = True And g.sLastError = "SUCCESS"
ok = g.Add(gn & "2", UCase(gc))
Check "group added from expressions", ok = True And g.sLastError = "SUCCESS"
g.Enumerate withTesters
Check "both groups listed", Contains(withTesters, "Auditors") And Contains(withTesters, "Testers2")
g.sGroupName = "Testers2"
Check "expression group's comment", g.sComment = "QUALITY ASSURANCE"
ok = g.Delete("Auditors") And g.Delete("Testers2")
Check "groups added from elements and expressions deleted", ok = True
g.sGroupName = "Sales"
value = "Testers"
ok = g.Delete(value)
Check "group deleted", ok = True
ok = g.Delete("Testers")
Check "deleting it again fails", ok = False And Left(g.sLastError, 8) = "ERROR - "

' The domain's user object.
u.sUserName = "alice"
Check "user selected", u.sUserName = "alice" And u.sLastError = "SUCCESS"
Check "sFullName", u.sFullName = "Alice Archer"
Check "sComment", u.sComment = "Accounts"
Check "sHomeDir", u.sHomeDir = "\\FS1\home\alice"
Check "sScriptPath", u.sScriptPath = "logon.cmd"
Check "ePrivilege", u.ePrivilege = 1
Check "bDisabled", u.bDisabled = False
Check "bLockedOut", u.bLockedOut = False
Check "sSID", Left(u.sSID, 12) = "150000052100"

Dim fullName, fullNames(1)
fullName = "Alice V. Archer"
u.sFullName = fullName
Check "sFullName from a variable", u.sFullName = "Alice V. Archer" And fullName = "Alice V. Archer"
fullNames(1) = "Alice E. Archer"
u.sFullName = fullNames(1)
Check "sFullName from an array element", u.sFullName = "Alice E. Archer"
u.sFullName = fullName & " Jr."
Check "sFullName from an expression", u.sFullName = "Alice V. Archer Jr."
u.sFullName = "Alice B. Archer"
Check "sFullName set", u.sFullName = "Alice B. Archer" And u.sLastError = "SUCCESS"
u.sScriptPath = "alice.cmd"
Check "sScriptPath set", u.sScriptPath = "alice.cmd"
u.sComment = "Accounts payable"
Check "sComment set", u.sComment = "Accounts payable"
u.sHomeDir = "\\FS2\home\alice"
Check "sHomeDir set", u.sHomeDir = "\\FS2\home\alice"
u.sPassword = "N3w-Secret!"
Check "sPassword set", u.sLastError = "SUCCESS"
u.bDisabled = True
Check "bDisabled set", u.bDisabled = True
u.bDisabled = False
Check "bDisabled cleared", u.bDisabled = False
u.UnlockAccount
Check "UnlockAccount", u.sLastError = "SUCCESS" And u.bLockedOut = False

value = u.sPassword
CheckError "reading sPassword: member not found", 438

' Add with only sUName: the optionals arrive as missing, which a domain
' account cannot do without (type mismatch, nothing added).
ok = u.Add("dave")
CheckError "domain Add with only sUName", 13
Dim users
u.Enumerate users
Check "user listing lower bound 0", LBound(users) = 0 And users(0) = ""
Check "user listing has alice", Contains(users, "alice")
Check "nothing added without the optionals", Not Contains(users, "dave")

Dim nm, pw, newNames(1)
nm = "dave"
pw = "Pw-12345678"
ok = u.Add(nm, pw, "", "Tester", "", "Dave Davis", 1, False)
Check "domain Add with every parameter, from variables", ok = True And u.sLastError = "SUCCESS" And nm = "dave"
newNames(1) = "erin"
ok = u.Add(newNames(1), pw, "", "", "", "", 1, False)
Check "domain Add from an array element", ok = True And u.sLastError = "SUCCESS"
ok = u.Add(nm & "2", pw, "", "", "", "", 1, False)
Check "domain Add from an expression", ok = True And u.sLastError = "SUCCESS"
u.Enumerate users
Check "added users listed", Contains(users, "erin") And Contains(users, "dave2")
u.sUserName = "erin"
ok = u.Delete
u.sUserName = "dave2"
ok = ok And u.Delete
Check "users added from an element and an expression deleted", ok = True
u.sUserName = "dave"
Check "added user's attributes", u.sFullName = "Dave Davis" And u.sComment = "Tester"
ok = u.Delete
Check "user deleted", ok = True And u.sLastError = "SUCCESS"
Dim afterDelete
u.Enumerate afterDelete
Check "deleted user not listed", Not Contains(afterDelete, "dave")

' A group's user object: Add with only sUName adds a member.
Set gu = g.Users
Check "group users' owner is the group", gu.oParent Is g
ok = gu.Add("alice")
Check "group Add with only sUName", ok = True And gu.sLastError = "SUCCESS"
Dim members
gu.Enumerate members
Check "member listed", Contains(members, "alice") And Contains(members, "bob")
gu.sUserName = "alice"
ok = gu.Delete
Check "member removed", ok = True
gu.Enumerate members
Check "removed member not listed", Not Contains(members, "alice")

' The user object taken from the group keeps working after the client
' released the domain and the group; the domain ends with it.
ends = CountLines("terminating...")
Set u = Nothing
Set g = Nothing
Set d = Nothing
Check "domain still alive while its user is held", CountLines("terminating...") = ends
gu.sUserName = "bob"
Check "held user still reads", gu.sFullName = "Bob Baker" And gu.sLastError = "SUCCESS"
Check "held user's group", gu.oParent.sGroupName = "Sales"
Check "held user's domain", gu.oParent.oParent.sDC = "\\DC1"
Set gu = Nothing
Check "domain ended with its last object", CountLines("terminating...") = ends + 1

WScript.Echo passed & " passed, " & failed & " failed"
