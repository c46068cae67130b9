[playlist]
File1=D:\¸èÇú\Ò».mp3
File2=ï»¿/m/a.mp3
File3=„1•3
