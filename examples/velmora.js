// Velmora from JScript: the gradient painter's settings.
// Run with tools/run-script examples/velmora.js.
var painter = new ActiveXObject("Velmora.ClassForGradient");
painter.Angle = -90;
check("Angle", painter.Angle, 270);
painter.Color1 = 0x00FF00;
check("Color1", painter.Color1, 0x00FF00);

// The pointer's position: GetCursorLocate(mx = 1) and (my = 2).
var windows = new ActiveXObject("Velmora.Velmora");
checkTrue("pointer Y on the screen", windows.GetCursorLocate(2) >= 0);
check("no such coordinate", windows.GetCursorLocate(0), 0);

summary("example velmora.js");
