PROC TITLE 'Robust design test, one stratum';
PROC MODEL NPAR=10 NYRS=3 STRATA=1 SECPERS=2 2 2;
COHORT=20;
 10 5 3;
LABELS;
S(1)=phi 1 ;
S(2)=phi 2 ;
S(3)=p 1 ;
S(4)=p 2 ;
S(5)=c 1 1 ;
S(6)=c 1 2 ;
S(7)=c 2 1 ;
S(8)=c 2 2 ;
S(9)=c 3 1 ;
S(10)=c 3 2 ;
INIT;
PIM;
SRV(1);
 1 1
;
P(1);
 1 2
;
CP(1);
 3 3  -.5 -.5  0 -.25 
;
DESIGN  3   3  ONEDIGIT;
 1  1  1; 2  2  1; 3  3  1;
PROC TEST AICSAVE=CORVANE.AIC;
PROC STOP;
