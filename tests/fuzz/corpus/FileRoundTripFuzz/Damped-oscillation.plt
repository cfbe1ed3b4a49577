[Graphs]
MaxSeries=12
GraphCount=1

[Graph(1)]
Outfit=
Template=
Title=Damped oscillation
XAxis=1;1;0;0;0;0;0;0;0;0;0;0
YAxis=2;4;0;0;0;0;0;0;0;0;0;0
Weight=0;0;0;0;0;0;0;0;0;0;0;0
XAxisPos=0;0;0;0;0;0;0;0;0;0;0;0
YAxisPos=0;0;0;0;0;0;0;0;0;0;0;0
dXPlus=0;0;0;0;0;0;0;0;0;0;0;0
dXMinus=0;0;0;0;0;0;0;0;0;0;0;0
dYPlus=3;0;0;0;0;0;0;0;0;0;0;0
dYMinus=3;0;0;0;0;0;0;0;0;0;0;0

[Column(0)]
Width=80
Data=0;0.1;0.2;0.3;0.4;0.5;0.6;0.7;0.8;0.9;1;1.1;1.2;1.3;1.4;1.5;1.6;1.7;1.8;1.9;2;2.1;2.2;2.3;2.4;2.5;2.6;2.7;2.8;2.9;3;3.1;3.2;3.3;3.4;3.5;3.6;3.7;3.8;3.9;4;4.1;4.2;4.3;4.4;4.5;4.6;4.7;4.8;4.9;5;5.1;5.2;5.3;5.4;5.5;5.6;5.7;5.8;5.9;6;6.1;6.2;6.3;6.4;6.5;6.6;6.7;6.8;6.9;7;7.1;7.2;7.3;7.4;7.5;7.6;7.7;7.8;7.9;8;8.1;8.2;8.3;8.4;8.5;8.6;8.7;8.8;8.9;9;9.1;9.2;9.3;9.4;9.5;9.6;9.7;9.8;9.9;10;10.1;10.2;10.3;10.4;10.5;10.6;10.7;10.8;10.9;11;11.1;11.2;11.3;11.4;11.5;11.6;11.7;11.8;11.9;12

[Column(1)]
Width=110
Header=Time \it\i  / s
Formula=
LiveFormula=0
Data=3.0038;2.9117;2.5684;2.2886;1.8015;1.3069;0.8656;0.2597;-0.2694;-0.7226;-1.1344;-1.5364;-1.7832;-2.0255;-2.0859;-2.0793;-2.0165;-1.8444;-1.6012;-1.2431;-0.899;-0.5413;-0.1569;0.1447;0.5266;0.8318;1.0948;1.2153;1.3543;1.3453;1.3968;1.2588;1.1646;1.0932;0.7516;0.6359;0.3665;0.0873;-0.1274;-0.352;-0.5313;-0.7477;-0.8873;-0.9693;-1.0211;-0.9754;-0.9552;-0.7934;-0.7912;-0.6152;-0.4469;-0.3199;0.0144;0.0105;0.2513;0.3783;0.5783;0.5176;0.6947;0.6464;0.6628;0.6067;0.598;0.4437;0.3857;0.2907;0.2313;-0.0585;-0.017;-0.1468;-0.2975;-0.3428;-0.4313;-0.3836;-0.4567;-0.4683;-0.4437;-0.3997;-0.3411;-0.2997;-0.1047;-0.1816;-0.1669;0.0518;0.124;0.2086;0.2379;0.2792;0.3233;0.3588;0.2979;0.2831;0.3457;0.2492;0.1406;0.2194;0.1011;-0.0102;-0.0881;-0.0793;-0.1682;-0.2129;-0.2489;-0.234;-0.176;-0.2343;-0.2623;-0.1567;-0.153;-0.0887;-0.0374;-0.0534;-0.0134;0.0279;0.0187;0.1206;0.1731;0.1431;0.1379;0.1412;0.1178

[Column(2)]
Width=110
Header=Displacement \ix\i  / mm
Formula=
LiveFormula=0
Data=0.0468;0.0435;0.0471;0.0474;0.0402;0.0406;0.0468;0.0496;0.0425;0.0446;0.0459;0.0432;0.0436;0.0431;0.0437;0.046;0.043;0.0438;0.0477;0.0403;0.0457;0.0474;0.0431;0.0422;0.048;0.0424;0.0419;0.0444;0.047;0.041;0.0432;0.0433;0.0483;0.0444;0.0486;0.0417;0.0434;0.0465;0.0488;0.0445;0.0423;0.0412;0.0453;0.0419;0.0481;0.0484;0.0418;0.0428;0.0481;0.0464;0.0481;0.0435;0.0413;0.0429;0.0479;0.0427;0.0435;0.0442;0.0442;0.0441;0.0492;0.0416;0.04;0.0494;0.0488;0.0499;0.0443;0.0495;0.0493;0.0422;0.0475;0.0484;0.0466;0.0452;0.0429;0.0434;0.0423;0.0407;0.0459;0.0429;0.0481;0.0405;0.049;0.0469;0.0492;0.049;0.049;0.0458;0.0401;0.0475;0.0417;0.043;0.0466;0.0452;0.0441;0.0494;0.0461;0.0434;0.0425;0.0486;0.0448;0.0478;0.0435;0.042;0.0453;0.0482;0.0417;0.0479;0.0492;0.0481;0.0482;0.0401;0.0463;0.0486;0.0405;0.0427;0.0427;0.0453;0.0442;0.0447;0.0478

[Column(3)]
Width=110
Header=\sD\s\ix\i  / mm
Formula=
LiveFormula=0

[Column(4)]
Width=110
Header=Envelope / mm
Formula=3*EXP(-0.25*A)
LiveFormula=1
Data=

[Column(5)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(6)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(7)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(8)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(9)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(10)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(11)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(12)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(13)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(14)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(15)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(16)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(17)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(18)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(19)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(20)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(21)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(22)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(23)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(24)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(25)]
Width=80
Header=
Formula=
LiveFormula=0
Data=

[Column(26)]
Width=80
Header=
Formula=
LiveFormula=0

[GraphFormula]
Count=0

[Table]
Form.State=0
Form.Top=120
Form.Left=200
Form.Height=560
Form.Width=900
