[Playlist]
NumberOfEntries=2
File1=C:\MUSIC\A.MP3
File2=D:\SONGS\BEST OF.MP3
