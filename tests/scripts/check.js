// Shared checks for the script tests (put in front of each script by tools/run-script).
var checks_passed = 0, checks_failed = 0;

function check(name, actual, expected) {
  if (typeof actual === typeof expected && actual === expected) {
    checks_passed++;
  } else {
    checks_failed++;
    WScript.Echo("FAIL " + name + ": got " + typeof actual + " [" + actual + "], expected " + typeof expected + " [" + expected + "]");
  }
}

function checkTrue(name, condition) {
  if (condition) checks_passed++;
  else { checks_failed++; WScript.Echo("FAIL " + name); }
}

// The error number of a call that is expected to fail (0 if it did not).
function errorNumber(call) {
  try { call(); } catch (e) { return e.number & 0xFFFF; }
  return 0;
}

function summary(name) {
  WScript.Echo(name + ": " + checks_passed + " passed, " + checks_failed + " failed");
}
