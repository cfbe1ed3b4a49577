[Column(0)]
Width=80
Data=1;2.5;0.001

[Column(1)]
Width=80
Header=Time
Formula=
LiveFormula=0

[Column(2)]
Width=80
Header=
Formula=A*2
LiveFormula=1
Data=

[Column(3)]
Width=80
Header=
Formula=
LiveFormula=0

[GraphFormula]
Count=0

[Table]
Form.State=0
Form.Top=184
Form.Left=411
Form.Height=488
Form.Width=686
