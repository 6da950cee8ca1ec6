// The server as a JScript client meets it: created by ProgID, members
// reached by name on the demo domain CORVANE of the simulated controller.
// Run by run-wine-tests.sh with cscript. Ends with "N passed, N failed".
var passed = 0;
var failed = 0;

function check(name, condition) {
  if (condition) {
    passed++;
  } else {
    WScript.Echo("FAIL " + name);
    failed++;
  }
}

// Runs `body`, which must raise the error `number`.
function checkError(name, number, body) {
  try {
    body();
    WScript.Echo("FAIL " + name + " (no error)");
    failed++;
  } catch (e) {
    check(name + " (error " + e.number + ")", e.number === number);
  }
}

var DISP_E_MEMBERNOTFOUND = -2147352573;
var DISP_E_TYPEMISMATCH = -2147352571;

function run() {
  var d = new ActiveXObject("Corvane.NTDomain");
  check("created by ProgID", typeof d === "object" && d !== null);
  check("new domain logs additions and deletions", d.eLogging === 1);
  d.eLogging = 2;
  check("eLogging set", d.eLogging === 2);
  d.eLogging = 1;
  d.sDomain = "CORVANE";
  check("controller located", d.sDC === "\\\\DC1" && d.sLastError === "SUCCESS");
  check("sDomain kept", d.sDomain === "CORVANE");

  var g = d.Groups;
  check("Groups read twice is the same object", g === d.Groups);
  check("group's owner is the domain", g.oParent === d);
  g.sGroupName = "Domain Admins";
  check("group comment", g.sComment === "Designated administrators of the domain");
  check("group selected", g.sGroupName === "Domain Admins" && g.sLastError === "SUCCESS");
  g.sComment = "Administrators";
  check("group comment set", g.sComment === "Administrators");
  check("group added", g.Add("Auditors", "Read-only auditors") === true);
  check("group deleted", g.Delete("Auditors") === true);
  // JScript passes arguments by value, so it cannot receive a list.
  checkError("Enumerate needs a by-reference list", DISP_E_TYPEMISMATCH,
             function () { var list; g.Enumerate(list); });

  var u = d.Users;
  check("Users read twice is the same object", u === d.Users);
  check("user's owner is the domain", u.oParent === d);
  u.sUserName = "carol";
  check("user selected", u.sUserName === "carol" && u.sLastError === "SUCCESS");
  check("user full name", u.sFullName === "Carol Clark");
  check("user privilege", u.ePrivilege === 1);
  check("user flags", u.bDisabled === false && u.bLockedOut === false);
  u.sComment = "Sales lead";
  check("user comment set", u.sComment === "Sales lead");
  checkError("reading sPassword", DISP_E_MEMBERNOTFOUND,
             function () { return u.sPassword; });
  // Omitted optionals arrive as missing: a domain account needs them.
  checkError("domain Add with only sUName", DISP_E_TYPEMISMATCH,
             function () { return u.Add("erin"); });
  check("domain Add with every parameter",
        u.Add("erin", "Pw-12345678", "", "Temp", "", "Erin Evans", 1, true) === true);
  u.sUserName = "erin";
  check("added user is disabled", u.bDisabled === true && u.sFullName === "Erin Evans");
  check("user deleted", u.Delete() === true);
}

try {
  run();
} catch (e) {
  WScript.Echo("FAIL unexpected error " + e.number + " " + e.description);
  failed++;
}
CollectGarbage();
WScript.Echo(passed + " passed, " + failed + " failed");
