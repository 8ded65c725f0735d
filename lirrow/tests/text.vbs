' FindAndReplace and StringCount from VBScript: literals, variables, errors.
Dim lib : Set lib = CreateObject("Lirrow.Lirrow")

Check "replace literals", lib.FindAndReplace("abcabc", "b", "x"), "axcaxc"
Dim source, what, replacement
source = "aaa" : what = "aa" : replacement = "b"
Check "replace variables", lib.FindAndReplace(source, what, replacement), "ba"
Check "variables untouched", source & "|" & what & "|" & replacement, "aaa|aa|b"
Check "count literal", lib.StringCount("abab", "ab"), 2
Check "count is Integer", TypeName(lib.StringCount("abab", "ab")), "Integer"
Check "empty source", lib.StringCount("", "a"), -1
Check "empty search", lib.StringCount("abc", ""), 0
Check "case matters", lib.FindAndReplace("Abc abc", "abc", "x"), "Abc x"
Check "not searched again", lib.FindAndReplace("a", "a", "aa"), "aa"
Dim number : number = 12121
Check "number coerced to text", lib.StringCount(number, 1), 3
Check "number variable keeps its kind", TypeName(number), "Integer"
Check "Empty is the empty text", lib.FindAndReplace(Empty, "a", "b"), ""

Dim many : many = String(32767, "x")
Check "32767 counted", lib.StringCount(many, "x"), 32767
On Error Resume Next
Dim result : result = 5
result = lib.StringCount(many & "x", "x")
Check "32768 overflows", Err.Number, 6
Check "overflow text", Err.Description, "Overflow"
Check "overflow source", Err.Source, "Lirrow.Lirrow"
Err.Clear
result = lib.StringCount(Null, "x")
Check "Null is a type mismatch", Err.Number, 13
Err.Clear
result = lib.StringCount("abc")
CheckTrue "missing argument fails", Err.Number <> 0
Err.Clear
result = lib.NoSuchMember("abc")
Check "unknown member", Err.Number, 438
On Error GoTo 0

Summary "lirrow_text.vbs"
