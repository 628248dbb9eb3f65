* Free format: long names, objective constant (RHS on the objective row is
* minus the constant), a column without constraint entries at a bound.
NAME free_constant
ROWS
 N total_cost
 G demand_of_the_region
 L capacity_of_the_plant
COLUMNS
 production_at_plant total_cost 2 demand_of_the_region 1
 production_at_plant capacity_of_the_plant 1
 idle_column total_cost 3
RHS
 rhs total_cost -10 demand_of_the_region 4
 rhs capacity_of_the_plant 9
ENDATA
