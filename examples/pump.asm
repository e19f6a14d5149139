#UGC:2 ASSEMBLY 902 288 0 1 1 15 1600 9547 \
#- VERS 0 0                                                          \
#- HOST                                                              \
#- LINK                                                              \
#- DBID                                                              \
#- REVS 0,                                                           \
#- RELL 0,                                                           \
#- UOBJ_ID 0 0 0                                                     \
#-END_OF_UGC_HEADER
#P_OBJECT 6
@P_object 1 0
0 1 ->
@depend 2 0
1 2 [5]
2 2 
@model_name 3 10
3 3 GEHÄUSE
@model_type 4 1
3 4 2
@revnum 5 1
3 5 140
@bom_count 6 1
3 6 1
@dep_type 7 1
3 7 2050
@stamp 8 0
3 8 
2 2 
3 3 LAUFRAD_D160
3 4 2
3 5 96
3 6 1
3 7 2
3 8 
2 2 
3 3 WELLE
3 4 2
3 5 88
3 6 1
3 7 2
3 8 
2 2 
3 3 GLEITRINGDICHTUNG
3 4 2
3 5 40
3 6 1
3 7 2
3 8 
2 2 
3 3 DECKEL
3 4 2
3 5 51
3 6 1
3 7 2
3 8 
@dep_db 15 0
1 15 ->
@dep_db 16 0
2 16 [5]
3 16 ->
@to_model_id 17 1
4 17 0
@dep_type 18 1
4 18 2
#END_OF_P_OBJECT
