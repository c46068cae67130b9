[playlist]
File1=/m/a.mp3
Title1=Song A
Length1=215
NumberOfEntries=1
Version=2
