// The frame's calling convention from JScript: every argument by value.
var probe = new ActiveXObject("FrameProbe.Probe");
var text = "abc";
check("shout returns the old text", probe.Shout(text), "abc");
check("JScript variable unchanged", text, "abc");
check("twice", probe.Twice(21), 21);
check("number text coerced", probe.Twice("8"), 8);
check("mix", probe.Mix(1, 2.5, 0.25, "s", 3, 4, true, 0), "1|2.500000|0.250000|s|3|4|-1|0.000000");
probe.Level = 9;
check("property", probe.Level, 9);
check("overflow", errorNumber(function () { probe.ToInteger(40000); }), 6);
check("division by zero", errorNumber(function () { probe.Fail(11); }), 11);
summary("dispatch.js");
