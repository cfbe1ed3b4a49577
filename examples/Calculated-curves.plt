[Graphs]
MaxSeries=2
GraphCount=4

[Graph(1)]
Outfit=
Template=
Title=Regression lines and a cubic
XAxis=1;1
YAxis=2;3
Weight=0;0
XAxisPos=0;0
YAxisPos=0;0
dXPlus=0;0
dXMinus=0;0
dYPlus=0;0
dYMinus=0;0
ShowTitle=1
SeriesCount=2

[Graph(1).Legend]
Visible=1
Position=2
Horizontal=1
Rows=3
Columns=2

[Graph(2)]
Outfit=
Template=
Title=Akima interpolation, its derivative and integral
XAxis=4;0
YAxis=5;0
Weight=0;0
XAxisPos=0;0
YAxisPos=0;0
dXPlus=0;0
dXMinus=0;0
dYPlus=0;0
dYMinus=0;0
ShowTitle=1
SeriesCount=1

[Graph(2).Legend]
Visible=1
Position=2
Horizontal=1
Rows=2
Columns=2

[Graph(3)]
Outfit=
Template=
Title=Approximating spline, its derivative and integral
XAxis=4;0
YAxis=5;0
Weight=0;0
XAxisPos=0;0
YAxisPos=0;0
dXPlus=0;0
dXMinus=0;0
dYPlus=0;0
dYMinus=0;0
ShowTitle=1
SeriesCount=1

[Graph(3).Legend]
Visible=1
Position=2
Horizontal=1
Rows=2
Columns=2

[Graph(4)]
Outfit=
Template=
Title=Nonlinear fit of a damped oscillation
XAxis=6;0
YAxis=7;0
Weight=0;0
XAxisPos=0;0
YAxisPos=0;0
dXPlus=0;0
dXMinus=0;0
dYPlus=0;0
dYMinus=0;0
ShowTitle=1
SeriesCount=1

[Graph(4).Legend]
Visible=1
Position=2
Horizontal=1
Rows=2
Columns=2

[Graph(1).Series(1)]
ChildCount=2

[Graph(1).Series(1).Child(1)]
Calculation=Linear Regression
DoFixedOffset=1
Offset=0
Line.Color=255

[Graph(1).Series(1).Child(2)]
Calculation=Linear Regression
DoFixedOffset=0
Line.Color=32768
Line.Style=2

[Graph(1).Series(2)]
ChildCount=1

[Graph(1).Series(2).Child(1)]
Calculation=Polynomial Regression
Order=3
Line.Color=16711680

[Graph(2).Series(1)]
ChildCount=3

[Graph(2).Series(1).Child(1)]
Calculation=Interpolation
DoSmoothing=1
SmoothM=1.2
Line.Color=255

[Graph(2).Series(1).Child(2)]
Calculation=Differentiation
DoSmoothing=1
SmoothM=1.2
Line.Color=32768

[Graph(2).Series(1).Child(3)]
Calculation=Integration
DoSmoothing=1
SmoothM=1.2
Line.Color=16711680

[Graph(3).Series(1)]
ChildCount=3

[Graph(3).Series(1).Child(1)]
Calculation=Approximative Spline
WeightFactor=20
Line.Color=255

[Graph(3).Series(1).Child(2)]
Calculation=Approximative Spline Differentiation
WeightFactor=20
Line.Color=32768

[Graph(3).Series(1).Child(3)]
Calculation=Approximative Spline Integral
WeightFactor=20
Line.Color=16711680

[Graph(4).Series(1)]
ChildCount=1

[Graph(4).Series(1).Child(1)]
Calculation=Nonlinear Regression
Formula=A*EXP(-B*X)*COS(C*X+D)
Order=4
Iterations=3000
Coefs=3;0.3;2;0
Line.Color=255

[Column(0)]
Width=40
Data=0;0.5;1;1.5;2;2.5;3;3.5;4;4.5;5;5.5;6;6.5;7;7.5;8;8.5;9;9.5;10

[Column(1)]
Width=110
Header=Load \iF\i / N
Formula=
LiveFormula=0
Data=-0.184471;0.618693;0.564179;1.33559;1.29151;2.19709;2.38026;3.15439;3.41158;3.61348;3.92953;4.51904;4.79109;4.98477;5.75263;5.39359;6.38834;7.32902;7.33142;7.2531;8.27212

[Column(2)]
Width=110
Header=Extension \is\i / mm
Formula=
LiveFormula=0
Data=-2.19329;-1.0321;0.020246;0.997727;1.70498;1.69143;2.32756;1.54985;1.80714;0.838937;0.428467;0.682216;0.536736;0.828313;0.107349;0.372812;0.196446;1.06032;1.97302;2.74479;4.5643

[Column(3)]
Width=110
Header=Deflection \iy\i / mm
Formula=
LiveFormula=0
Data=0;0.4;0.8;1.2;1.6;2;2.4;2.8;3.2;3.6;4;4.4;4.8;5.2;5.6;6;6.4;6.8;7.2;7.6;8;8.4;8.8;9.2;9.6;10;10.4;10.8;11.2;11.6;12

[Column(4)]
Width=110
Header=Position \ix\i / cm
Formula=
LiveFormula=0
Data=-0.828998;-0.923367;-0.9969;-1.00352;-0.883892;-1.02511;-0.685304;-0.680035;-0.258274;0.0579869;0.732383;1.54445;2.5546;3.27025;3.81757;4.12176;3.7022;3.3701;2.42298;1.53431;0.778782;0.314778;-0.0951646;-0.674805;-0.928023;-1.09165;-0.952773;-0.929434;-0.943282;-0.964294;-0.831456

[Column(5)]
Width=110
Header=Intensity \iI\i / a.u.
Formula=
LiveFormula=0
Data=0;0.2;0.4;0.6;0.8;1;1.2;1.4;1.6;1.8;2;2.2;2.4;2.6;2.8;3;3.2;3.4;3.6;3.8;4;4.2;4.4;4.6;4.8;5;5.2;5.4;5.6;5.8;6;6.2;6.4;6.6;6.8;7;7.2;7.4;7.6;7.8;8;8.2;8.4;8.6;8.8;9;9.2;9.4;9.6;9.8;10;10.2;10.4;10.6;10.8;11;11.2;11.4;11.6;11.8;12

[Column(6)]
Width=110
Header=Time \it\i / s
Formula=
LiveFormula=0
Data=2.99145;2.51076;1.58179;0.466763;-0.685406;-1.37052;-1.97284;-2.14282;-1.95682;-1.40943;-0.718516;-0.163901;0.654268;1.20998;1.44927;1.3903;1.17287;0.612447;0.263802;-0.281898;-0.658893;-0.866671;-0.984955;-0.987572;-0.815864;-0.368554;0.0193008;0.352001;0.643847;0.705923;0.688392;0.401331;0.402349;0.114502;0.033414;-0.260139;-0.497852;-0.462588;-0.370714;-0.379959;-0.279988;0.0509498;0.121437;0.254515;0.327909;0.290105;0.316131;0.179576;0.0657999;0.00171274;-0.157672;-0.307634;-0.221898;-0.302826;-0.123518;-0.160779;0.00915995;0.179184;0.183344;0.0893193;0.0352754

[Column(7)]
Width=110
Header=Displacement \ix\i / mm
Formula=
LiveFormula=0

[Table]
MaxColumns=26
