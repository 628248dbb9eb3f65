* A small diet-like minimisation for ranging: L, G and E rows, one column
* bounded above only (substituted), one with a finite lower bound.
NAME          RANGING
ROWS
 N  COST
 G  PROTEIN
 G  ENERGY
 L  VOLUME
 E  MIX
COLUMNS
    BREAD     COST               2.0   PROTEIN            4.0
    BREAD     ENERGY             9.0   VOLUME             1.0
    BREAD     MIX                1.0
    MILK      COST               3.5   PROTEIN            8.0
    MILK      ENERGY             5.0   VOLUME             2.0
    MILK      MIX                1.0
    BEANS     COST               4.0   PROTEIN           14.0
    BEANS     ENERGY             6.0   VOLUME             1.5
    BEANS     MIX               -2.0
    WATER     COST               0.5   VOLUME             1.0
    WATER     MIX               -1.0
RHS
    RHS       PROTEIN           40.0   ENERGY            45.0
    RHS       VOLUME            12.0   MIX                1.0
BOUNDS
 MI BND       WATER
 UP BND       WATER              2.0
 LO BND       BREAD              1.0
ENDATA
