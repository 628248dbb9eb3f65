* Every bound type and every kind of range; maximisation.
NAME          BNDRNG
OBJSENSE
    MAX
ROWS
 N  PROFIT
 L  CAP
 G  DEMAND
 E  BAL
 L  RL
 G  RG
 E  REP
 E  REN
COLUMNS
    FREE      PROFIT            -1.0   CAP                1.0
    FREE      BAL                1.0   REP                1.0
    NEGUP     PROFIT             2.0   CAP                1.0
    NEGUP     RL                 1.0
    FIXED     PROFIT             3.0   BAL                2.0
    FIXED     RG                 1.0
    LOWER     PROFIT             1.0   DEMAND             1.0
    LOWER     RL                 1.0   REN                1.0
    BIN       PROFIT             5.0   CAP                3.0
    PLAIN     PROFIT             1.0   RG                 1.0
    PLAIN     REN                1.0   CAP                1.0
    MINUS     PROFIT            -1.0   REP               -1.0
    MINUS     DEMAND            -1.0
RHS
    RHS       CAP               20.0   DEMAND            -5.0
    RHS       BAL                4.0   RL                 8.0
    RHS       RG                 2.0   REP                1.0
    RHS       REN               10.0
RANGES
    RNG       RL                 6.0   RG                 3.0
    RNG       REP                2.0   REN               -4.0
BOUNDS
 FR BND       FREE
 MI BND       NEGUP
 UP BND       NEGUP              3.0
 FX BND       FIXED              1.5
 LO BND       LOWER             -2.0
 UP BND       LOWER              6.0
 BV BND       BIN
 UP BND       PLAIN              7.0
 MI BND       MINUS
 UP BND       MINUS             -1.0
ENDATA
