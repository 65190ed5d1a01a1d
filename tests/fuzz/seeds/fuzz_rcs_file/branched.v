head	1.2;
access;
symbols
	BR:1.1.1
	REL:1.2;
locks
	root:1.2; strict;
comment	@ * @;


1.2
date	2026.12.08.13.37.13;	author root;	state Exp;
branches;
next	1.1;

1.1
date	2026.12.08.13.37.13;	author root;	state Exp;
branches
	1.1.1.1;
next	;

1.1.1.1
date	2026.12.08.13.37.13;	author root;	state Exp;
branches;
next	;


desc
@A file
@


1.2
log
@second
@
text
@one
2
three
four@


1.1
log
@first @@ log
@
text
@d2 1
a2 1
two
d4 1
@


1.1.1.1
log
@on branch
@
text
@d2 1
a2 1
branch
@
