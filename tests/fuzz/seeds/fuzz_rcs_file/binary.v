head 1.2; branch 1.1.1; access ann bob; symbols A:1.1 B:1.1.1; locks ann:1.2; strict;
comment @# @; expand @b@;
1.2 date 2024.05.06.07.08.09; author ann; state Exp; branches; next 1.1;
1.1 date 99.05.06.07.08.09; author bob; state Exp; branches 1.1.1.1; next ;
1.1.1.1 date 2024.05.06.07.08.10; author bob; state dead; branches; next ;
desc @two @@ three@
1.2 log @a@ text @x
y
z@
1.1 log @b@ text @d3 1
a3 1
w
@
1.1.1.1 log @c@ text @d1 2
a3 1
q@
