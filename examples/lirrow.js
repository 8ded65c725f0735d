// Lirrow from JScript: find-and-replace, counting, the calendar, code pages.
// Run with tools/run-script examples/lirrow.js (it puts the check helpers in
// front); each check line shows the answer to expect.
var text = new ActiveXObject("Lirrow.Lirrow");

// Every occurrence is replaced, left to right, case-sensitive, never overlapping.
WScript.Echo("FindAndReplace: " + text.FindAndReplace("2026-12-07", "-", "/"));
check("FindAndReplace", text.FindAndReplace("abcabc", "b", "x"), "axcaxc");
check("no overlaps", text.FindAndReplace("aaaa", "aa", "b"), "bb");

// How often a text occurs; -1 for an empty text.
check("StringCount", text.StringCount("a;b;c", ";"), 2);
check("StringCount of an empty text", text.StringCount("", ";"), -1);

// Errors arrive as exceptions carrying the host's run-time error number.
var many = new Array(40001).join("x");
check("overflow", errorNumber(function () { text.StringCount(many, "x"); }), 6);
try {
  text.StringCount(many, "x");
} catch (e) {
  check("error text", e.description, "Overflow");
}

// The calendar: option DayOfYear (10) of 10 February 2004 (Date 38027, the
// days since 30 December 1899); IsLeapYear of a year.
check("DayOfYear", text.DateFunction(10, 38027), 41);
check("IsLeapYear 2000", text.IsLeapYear(2000), 1);
check("IsLeapYear 2100", text.IsLeapYear(2100), 0);

// Code pages: ASCII reads the same in the Windows and the DOS code page.
check("ANSI2OEM", text.ANSI2OEM("Hello"), "Hello");

summary("example lirrow.js");
