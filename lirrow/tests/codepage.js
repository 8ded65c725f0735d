// TextCode and ANSI2OEM from JScript, code unit by code unit, under the code
// pages the test runs with. Argument: the ANSI code page (1251 or 1252).
var lib = new ActiveXObject("Lirrow.Lirrow");
var codePage = Number(WScript.Arguments(0));
var Win = 1, Dos = 2;

function units(text) {
  var out = [];
  for (var i = 0; i < text.length; i++) out.push(text.charCodeAt(i).toString(16));
  return out.join(" ");
}

// [source, its conversion], compared code unit by code unit.
var conversions = codePage === 1251
  ? [["\u043E", "\u00AE"], ["\u0410\u044F", "\u0402\u043F"], ["\u4E2D", "?"]]
  : [["\u00EE", "\u0152"], ["\u00E9\u00F1", "\u201A\u00A4"], ["\u043E", "?"], ["\u4E2D", "?"]];
conversions.push(["Hello", "Hello"], ["a\u0000b", "a\u0000\u0000"], ["", ""]);
for (var i = 0; i < conversions.length; i++) {
  check("ANSI2OEM " + units(conversions[i][0]), units(lib.ANSI2OEM(conversions[i][0])), units(conversions[i][1]));
}
// A surrogate pair comes back as default characters, at the text's length.
var pair = lib.ANSI2OEM("\uD83D\uDE00x");
check("surrogate pair length", pair.length, 3);
check("surrogate pair", pair.charAt(0), "?");

// The markers are the ANSI readings of the bytes 0xAE and 0xEE.
var dosMarker = "\u00AE";
var winMarker = codePage === 1251 ? "\u043E" : "\u00EE";
var otherO = codePage === 1251 ? "\u00EE" : "\u043E";
check("DOS marker", lib.TextCode(dosMarker), Dos);
check("Windows marker", lib.TextCode(winMarker + winMarker + dosMarker), Win);
check("other letter is no marker", lib.TextCode(otherO + otherO + dosMarker), Dos);
check("capital O is no marker", lib.TextCode("\u041E\u004F" + dosMarker), Dos);
check("empty", lib.TextCode(""), Win);
check("32766", lib.TextCode(new Array(32767).join(dosMarker)), Dos);
check("32767", errorNumber(function () { lib.TextCode(new Array(32768).join("x")); }), 6);

summary("lirrow_codepage.js (" + codePage + ")");
