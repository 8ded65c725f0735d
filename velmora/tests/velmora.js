// Velmora from JScript: plain script objects as host objects.
var lib = new ActiveXObject("Velmora.Velmora");
var painter = new ActiveXObject("Velmora.ClassForGradient");

check("no window, nothing drawn", painter.Draw({hWnd: 0, hDC: 0}), false);
var box = {hWnd: 0, hDC: 0, ScaleHeight: 10, ScaleWidth: 20, FillStyle: 3, FillColor: 255, ForeColor: 65280};
lib.Gradient(255, 0, 45, box);
check("FillStyle restored", box.FillStyle, 3);
check("FillColor restored", box.FillColor, 255);
check("ForeColor restored", box.ForeColor, 65280);
check("missing FillStyle", errorNumber(function () { lib.Gradient(255, 0, 45, {hWnd: 0, hDC: 0, ScaleHeight: 1, ScaleWidth: 1}); }), 438);
painter.Angle = -90;
check("angle", painter.Angle, 270);
check("ClickMouse(4)", lib.ClickMouse(4), false);
check("GetCursorLocate(0)", lib.GetCursorLocate(0), 0);
summary("velmora.js");
