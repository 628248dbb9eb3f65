NAME          INFEAS
ROWS
 N  COST
 L  UPPER
 G  LOWER
COLUMNS
    X         COST               1.0   UPPER              1.0
    X         LOWER              1.0
    Y         COST               1.0   UPPER              1.0
    Y         LOWER              1.0
RHS
    RHS       UPPER              4.0   LOWER              5.0
ENDATA
