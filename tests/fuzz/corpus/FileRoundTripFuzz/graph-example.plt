[Graphs]
MaxSeries=2
GraphCount=1

[Graph(1)]
Outfit=
Template=
Title=Voltage \ss\s-test
XAxis=1;1
YAxis=2;4
Weight=0;0
XAxisPos=0;0
YAxisPos=0;1
dXPlus=0;0
dXMinus=0;0
dYPlus=3;0
dYMinus=3;0

[Graph(1).Legend]
Visible=1
Position=3

[Column(0)]
Width=80
Data=0;0.5;1;1.5;2;2.5;3;3.5;4;4.5;5;5.5;6;6.5;7;7.5;8;8.5;9;9.5;10

[Column(1)]
Width=80
Header=Time t / s
Formula=
LiveFormula=0
Data=4;4.8866;5.6939;6.35;6.7961;6.9925;6.9215;6.5896;6.0264;5.2821;4.4234;3.5268;2.6724;1.9367;1.3853;1.0674;1.0115;1.2226;1.6817;2.3479;3.1618

[Column(2)]
Width=80
Header=U\-0\- / mV
Formula=
LiveFormula=0
Data=0.3;0.32;0.34;0.36;0.38;0.4;0.42;0.44;0.46;0.48;0.5;0.52;0.54;0.56;0.58;0.6;0.62;0.64;0.66;0.68;0.7

[Column(3)]
Width=80
Header=Error
Formula=
LiveFormula=0
Data=2;2.5;4;6.5;10;14.5;20;26.5;34;42.5;52;62.5;74;86.5;100;114.5;130;146.5;164;182.5;202

[Column(4)]
Width=80
Header=Power P / W
Formula=
LiveFormula=0

[Table]
MaxColumns=26
