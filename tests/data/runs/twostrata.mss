PROC TITLE 'Two strata, three primary periods';
PROC MODEL NPAR=24 GROUPS=1 NAGE=1 NYRS=3 STRATA=2 SECPERS=2 2 2;
COHORT=12 TIME=1 STRATUM=1;
 5 3 0 2 1 1 4 0 0 1 0 0;
COHORT=9 TIME=1 STRATUM=2;
 2 4 1 0 3 1 0 2 0 0 1 0;
PIM;
SRV(1);
 1 2
;
SRV(2);
 3 4
;
PSI(1-2);
 5 6
;
PSI(2-1);
 7 8
;
P(1);
 9 10
;
P(2);
 11 12
;
CP(1);
 13 14  15 16  17 18 
;
CP(2);
 13 14  15 16  17 18 
;
DESIGN  18   18  ONEDIGIT;
 1  1  1; 2  2  1; 3  3  1; 4  4  1; 5  5  1;
 6  6  1; 7  7  1; 8  8  1; 9  9  1; 10  10  1;
 11  11  1; 12  12  1; 13  13  1; 14  14  1; 15  15  1;
 16  16  1; 17  17  1; 18  18  1;

PROC TEST AICSAVE=CORVANE.AIC;
PROC STOP;
