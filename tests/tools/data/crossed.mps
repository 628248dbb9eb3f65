NAME          CROSSED
ROWS
 N  COST
 L  LIM
COLUMNS
    X         COST               1.0   LIM                1.0
RHS
    RHS       LIM                1.0
BOUNDS
 LO BND       X                  3.0
 UP BND       X                  2.0
ENDATA
