46
-1
A
x
line