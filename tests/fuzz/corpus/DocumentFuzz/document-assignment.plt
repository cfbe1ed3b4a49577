[Graphs]
MaxSeries=2
GraphCount=1

[Graph(1)]
Outfit=
Template=
Title=Graph(1)
XAxis=1;1
YAxis=2;4
Weight=0;0
XAxisPos=0;0
YAxisPos=0;1
dXPlus=0;0
dXMinus=0;0
dYPlus=3;0
dYMinus=3;0
