NAME          BAD
ROWS
 N  COST
 L  LIM
COLUMNS
    X         COST               1.0   LIM                1.0
    Y         COST               1.0   LIMIT              1.0
RHS
    RHS       LIM                1.0
ENDATA
