// Velmora from JScript: the gradient painter's settings.
// Run with tools/run-script examples/velmora.js.
var painter = new ActiveXObject("Velmora.ClassForGradient");
painter.Angle = -90;
check("Angle", painter.Angle, 270);
painter.Color1 = 0x00FF00;
check("Color1", painter.Color1, 0x00FF00);

summary("example velmora.js");
