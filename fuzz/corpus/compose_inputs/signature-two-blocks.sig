46
1
Short
1
-- A
Long
2
-- 
Ann Lee