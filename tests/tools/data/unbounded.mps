NAME          UNBND
ROWS
 N  COST
 G  ROW1
COLUMNS
    X         COST              -1.0   ROW1               1.0
    Y         COST               1.0   ROW1              -1.0
RHS
    RHS       ROW1               1.0
ENDATA
