-- Fills USER_TAB_COLUMNS from the tables of the schema themselves, so the
-- column catalogue always tells the truth about them. Read last by the
-- Designer demo scripts, after every table exists.
--
-- A declared type VARCHAR2(n) gives DATA_TYPE VARCHAR2 and DATA_LENGTH n;
-- NUMBER(p) gives NUMBER, 22 and DATA_PRECISION p; DATE gives DATE and 7, as
-- the Oracle server reports them.

INSERT INTO USER_TAB_COLUMNS (TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, NULLABLE, COLUMN_ID)
SELECT upper(t.name),
       upper(c.name),
       CASE WHEN instr(c.type, '(') > 0 THEN substr(c.type, 1, instr(c.type, '(') - 1) ELSE c.type END,
       CASE WHEN c.type LIKE 'VARCHAR2(%' THEN CAST(substr(c.type, instr(c.type, '(') + 1) AS INTEGER)
            WHEN c.type LIKE 'NUMBER%' THEN 22
            WHEN c.type = 'DATE' THEN 7
       END,
       CASE WHEN c.type LIKE 'NUMBER(%' THEN CAST(substr(c.type, instr(c.type, '(') + 1) AS INTEGER) END,
       CASE WHEN c."notnull" THEN 'N' ELSE 'Y' END,
       c.cid + 1
  FROM sqlite_master t, pragma_table_info(t.name) c
 WHERE t.type = 'table'
   AND t.name <> 'USER_TAB_COLUMNS'
   AND t.name NOT LIKE 'sqlite%';
