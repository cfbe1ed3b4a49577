[Column(0)]
Header=x
Data=1;2;3;4;5;6;7;8;9;10
[Column(1)]
Header=y
Data=2.1;3.9;6.2;NA;9.8;12.1;;16.2;NAN;19.9
