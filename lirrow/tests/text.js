// FindAndReplace and StringCount from JScript (every argument by value).
var lib = new ActiveXObject("Lirrow.Lirrow");
check("replace", lib.FindAndReplace("abcabc", "b", "x"), "axcaxc");
check("remove all", lib.FindAndReplace("abab", "ab", ""), "");
check("count", lib.StringCount("xx", "x"), 2);
check("count empty source", lib.StringCount("", "x"), -1);
check("number coerced", lib.StringCount(12121, 1), 3);
var many = new Array(32769).join("x");
check("32768 overflows", errorNumber(function () { lib.StringCount(many, "x"); }), 6);
check("32767 counted", lib.StringCount(many.substring(1), "x"), 32767);
summary("lirrow_text.js");
