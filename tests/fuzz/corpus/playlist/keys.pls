FILE2=b
file10=c
FiLe1=a
File3=
 File4 =x=y
File=z
File5x=w
