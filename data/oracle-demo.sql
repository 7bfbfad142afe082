-- The Oracle demo catalogue: a small Oracle database as its data dictionary
-- shows it, for trying the program out and for the tests.
--
-- Schemas: HR (human resources; also the session user, so the USER_ family
-- shows HR's objects), SALES (customers, products, orders), SCOTT (the old
-- demo schema), O'NEIL (a user whose name needs quoting), and the Oracle
-- accounts SYS, SYSTEM, OUTLN and DBSNMP.
--
-- Deliberately awkward content, each kept on purpose:
--   * SALES.O'REILLY_V, a view named with an apostrophe, whose text holds the
--     doubled form 'O''Reilly' as a string literal;
--   * the user O'NEIL;
--   * non-ASCII text in comments, views and source (ä ö ü é è ß € Ω ≤); a café
--     written "Café" in one comment and "CAFÉ" in another;
--   * LF line ends in view texts, trigger bodies and source; one view
--     (SALES.IMPORT_ERRORS_V) was created from a Windows client and keeps
--     CR LF line ends;
--   * HR.EMP_NAMES_V, whose text ends with "FROM employees" and has the word
--     nowhere else;
--   * HR.EMP_DETAILS_VIEW, found by name and by its text;
--   * a table REGIONS in both HR and SALES, with different comments;
--   * SALES.PRODUCTS has a column "GRÖSSE", a quoted non-ASCII name;
--   * SALES.IMPORT_ORDERS is indented with tabs;
--   * a view text with one line of more than 300 characters.
--
-- Build it with: make_catalogue oracle-demo.sql oracle-demo.qmcat
-- (the sqlite3 shell also reads it: sqlite3 demo.qmcat < oracle-demo.sql,
-- run in this directory).
--
-- How the script is laid out: the users first; then, schema by schema, the
-- columns of tables and views, the comments, the view texts, the triggers and
-- the PL/SQL source. Source is written one unit per string and split into
-- lines at the end; DBA_OBJECTS, the column details and the comment rows
-- without a comment are derived from the rest at the end as well.

.read oracle-dictionary.sql

INSERT INTO CATALOGUE_SESSION (USERNAME) VALUES ('HR');

-- ---------------------------------------------------------------------------
-- Users
-- ---------------------------------------------------------------------------

INSERT INTO DBA_USERS (USERNAME, USER_ID, PASSWORD, ACCOUNT_STATUS, LOCK_DATE, EXPIRY_DATE,
                       DEFAULT_TABLESPACE, TEMPORARY_TABLESPACE, CREATED, PROFILE,
                       AUTHENTICATION_TYPE, ORACLE_MAINTAINED) VALUES
    ('SYS',     0,   NULL, 'OPEN',             NULL,                  NULL,
     'SYSTEM', 'TEMP', '2019-03-14 09:12:44', 'DEFAULT', 'PASSWORD', 'Y'),
    ('SYSTEM',  5,   NULL, 'OPEN',             NULL,                  NULL,
     'SYSTEM', 'TEMP', '2019-03-14 09:12:45', 'DEFAULT', 'PASSWORD', 'Y'),
    ('OUTLN',   9,   NULL, 'EXPIRED & LOCKED', '2019-03-14 09:40:02', '2019-03-14 09:40:02',
     'SYSTEM', 'TEMP', '2019-03-14 09:13:30', 'DEFAULT', 'PASSWORD', 'Y'),
    ('DBSNMP',  24,  NULL, 'EXPIRED & LOCKED', '2019-03-14 10:02:17', '2019-03-14 10:02:17',
     'SYSAUX', 'TEMP', '2019-03-14 09:58:51', 'DEFAULT', 'PASSWORD', 'Y'),
    ('SCOTT',   86,  NULL, 'OPEN',             NULL,                  '2025-09-30 08:00:00',
     'USERS',  'TEMP', '2019-04-01 11:20:03', 'DEFAULT', 'PASSWORD', 'N'),
    ('HR',      103, NULL, 'OPEN',             NULL,                  '2025-10-12 08:00:00',
     'USERS',  'TEMP', '2019-04-02 14:05:37', 'DEFAULT', 'PASSWORD', 'N'),
    ('SALES',   104, NULL, 'OPEN',             NULL,                  '2025-10-12 08:00:00',
     'USERS',  'TEMP', '2019-04-02 14:06:10', 'DEFAULT', 'PASSWORD', 'N'),
    ('O''NEIL', 117, NULL, 'OPEN',             NULL,                  '2025-12-01 08:00:00',
     'USERS',  'TEMP', '2021-06-18 16:44:09', 'DEFAULT', 'PASSWORD', 'N');

-- ---------------------------------------------------------------------------
-- Work tables of this script; TEMP tables vanish with the connection, so the
-- catalogue file keeps none of them.
-- ---------------------------------------------------------------------------

-- Columns of tables and views, in column order. TYPE_SPEC is the type as a
-- CREATE TABLE writes it; DATA_TYPE, DATA_LENGTH and the rest follow from it.
CREATE TEMP TABLE DEMO_COLUMNS (
    OWNER       TEXT NOT NULL,
    TABLE_NAME  TEXT NOT NULL,
    COLUMN_NAME TEXT NOT NULL,
    TYPE_SPEC   TEXT NOT NULL,
    NULLABLE    TEXT NOT NULL,
    DATA_DEFAULT TEXT
);

-- Whole program units; split into DBA_SOURCE lines at the end.
CREATE TEMP TABLE DEMO_SOURCE (
    OWNER TEXT NOT NULL,
    NAME  TEXT NOT NULL,
    TYPE  TEXT NOT NULL,
    TEXT  TEXT NOT NULL
);

-- Objects that leave no trace in the other dictionary views.
CREATE TEMP TABLE DEMO_OBJECTS (
    OWNER       TEXT NOT NULL,
    OBJECT_NAME TEXT NOT NULL,
    OBJECT_TYPE TEXT NOT NULL,
    GENERATED   TEXT NOT NULL DEFAULT 'N'
);

-- ---------------------------------------------------------------------------
-- SYS and SYSTEM: a few of the objects every Oracle database has.
-- ---------------------------------------------------------------------------

INSERT INTO DEMO_COLUMNS (OWNER, TABLE_NAME, COLUMN_NAME, TYPE_SPEC, NULLABLE) VALUES
    ('SYS', 'DUAL',      'DUMMY',    'VARCHAR2(1)',   'Y'),
    ('SYS', 'OBJ$',      'OBJ#',     'NUMBER',        'N'),
    ('SYS', 'OBJ$',      'OWNER#',   'NUMBER',        'N'),
    ('SYS', 'OBJ$',      'NAME',     'VARCHAR2(128)', 'N'),
    ('SYS', 'OBJ$',      'TYPE#',    'NUMBER',        'N'),
    ('SYS', 'OBJ$',      'CTIME',    'DATE',          'N'),
    ('SYS', 'OBJ$',      'STATUS',   'NUMBER',        'N'),
    ('SYS', 'USER$',     'USER#',    'NUMBER',        'N'),
    ('SYS', 'USER$',     'NAME',     'VARCHAR2(128)', 'N'),
    ('SYS', 'USER$',     'TYPE#',    'NUMBER',        'N'),
    ('SYS', 'USER$',     'PASSWORD', 'VARCHAR2(4000)','Y'),
    ('SYS', 'USER$',     'CTIME',    'DATE',          'N'),
    ('SYS', 'SOURCE$',   'OBJ#',     'NUMBER',        'N'),
    ('SYS', 'SOURCE$',   'LINE',     'NUMBER',        'N'),
    ('SYS', 'SOURCE$',   'SOURCE',   'VARCHAR2(4000)','Y'),
    ('SYS', 'ALL_USERS', 'USERNAME', 'VARCHAR2(128)', 'N'),
    ('SYS', 'ALL_USERS', 'USER_ID',  'NUMBER',        'N'),
    ('SYS', 'ALL_USERS', 'CREATED',  'DATE',          'N'),
    ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 'PRODUCT',       'VARCHAR2(30)',  'N'),
    ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 'USERID',        'VARCHAR2(128)', 'Y'),
    ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 'ATTRIBUTE',     'VARCHAR2(240)', 'Y'),
    ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 'SCOPE',         'VARCHAR2(240)', 'Y'),
    ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 'NUMERIC_VALUE', 'NUMBER(15,2)',  'Y'),
    ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 'CHAR_VALUE',    'VARCHAR2(240)', 'Y'),
    ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 'DATE_VALUE',    'DATE',          'Y'),
    ('SYSTEM', 'SQLPLUS_PRODUCT_PROFILE', 'LONG_VALUE',    'LONG',          'Y'),
    ('SYSTEM', 'PRODUCT_PRIVS', 'PRODUCT',       'VARCHAR2(30)',  'N'),
    ('SYSTEM', 'PRODUCT_PRIVS', 'USERID',        'VARCHAR2(128)', 'Y'),
    ('SYSTEM', 'PRODUCT_PRIVS', 'ATTRIBUTE',     'VARCHAR2(240)', 'Y'),
    ('SYSTEM', 'PRODUCT_PRIVS', 'SCOPE',         'VARCHAR2(240)', 'Y'),
    ('SYSTEM', 'PRODUCT_PRIVS', 'NUMERIC_VALUE', 'NUMBER(15,2)',  'Y'),
    ('SYSTEM', 'PRODUCT_PRIVS', 'CHAR_VALUE',    'VARCHAR2(240)', 'Y'),
    ('SYSTEM', 'PRODUCT_PRIVS', 'DATE_VALUE',    'DATE',          'Y'),
    ('SYSTEM', 'PRODUCT_PRIVS', 'LONG_VALUE',    'LONG',          'Y'),
    ('SYSTEM', 'HELP', 'TOPIC', 'VARCHAR2(50)', 'N'),
    ('SYSTEM', 'HELP', 'SEQ',   'NUMBER',       'N'),
    ('SYSTEM', 'HELP', 'INFO',  'VARCHAR2(80)', 'Y');

INSERT INTO DBA_TAB_COMMENTS (OWNER, TABLE_NAME, TABLE_TYPE, COMMENTS) VALUES
    ('SYS', 'ALL_USERS', 'VIEW', 'Information about all users of the database'),
    ('SYSTEM', 'PRODUCT_PRIVS', 'VIEW', 'Product restrictions of the current user and of PUBLIC');

INSERT INTO DBA_VIEWS (OWNER, VIEW_NAME, TEXT, EDITIONING_VIEW, READ_ONLY) VALUES
    ('SYS', 'ALL_USERS',
'select u.name, u.user#, u.ctime
from sys.user$ u
where u.type# = 1',
     'N', 'N'),
    ('SYSTEM', 'PRODUCT_PRIVS',
'SELECT PRODUCT, USERID, ATTRIBUTE, SCOPE,
         NUMERIC_VALUE, CHAR_VALUE, DATE_VALUE, LONG_VALUE
  FROM SQLPLUS_PRODUCT_PROFILE
  WHERE USERID = ''PUBLIC'' OR USER LIKE USERID',
     'N', 'N');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('SYS', 'DBMS_OUTPUT', 'PACKAGE',
'package dbms_output authid definer as
  -- Buffered text output for PL/SQL; a client shows the buffer after a call.

  procedure enable (buffer_size in integer default 20000);
  procedure disable;

  procedure put (a varchar2);
  procedure put_line (a varchar2);
  procedure new_line;

  procedure get_line (line out varchar2, status out integer);

  type chararr is table of varchar2(32767) index by binary_integer;
  procedure get_lines (lines out chararr, numlines in out integer);
end dbms_output;');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('SYS', 'DBMS_OUTPUT', 'PACKAGE BODY',
'package body dbms_output as
  enabled  boolean := false;
  buf      chararr;
  buf_len  binary_integer := 0;
  cur_line varchar2(32767);

  procedure enable (buffer_size in integer default 20000) is
  begin
    enabled := true;
  end;

  procedure disable is
  begin
    enabled := false;
    buf.delete;
    buf_len := 0;
  end;

  procedure put (a varchar2) is
  begin
    if enabled then
      cur_line := cur_line || a;
    end if;
  end;

  procedure put_line (a varchar2) is
  begin
    put(a);
    new_line;
  end;

  procedure new_line is
  begin
    if enabled then
      buf_len := buf_len + 1;
      buf(buf_len) := cur_line;
      cur_line := null;
    end if;
  end;

  procedure get_line (line out varchar2, status out integer) is
  begin
    if buf_len = 0 then
      status := 1;
      return;
    end if;
    line := buf(buf.first);
    buf.delete(buf.first);
    buf_len := buf_len - 1;
    status := 0;
  end;

  procedure get_lines (lines out chararr, numlines in out integer) is
  begin
    numlines := least(numlines, buf_len);
    for i in 1 .. numlines loop
      get_line(lines(i), numlines);
    end loop;
  end;
end dbms_output;');

INSERT INTO DEMO_OBJECTS (OWNER, OBJECT_NAME, OBJECT_TYPE, GENERATED) VALUES
    ('SYS',    'I_OBJ1',                  'INDEX',   'N'),
    ('SYS',    'I_USER1',                 'INDEX',   'N'),
    ('SYS',    'I_SOURCE1',               'INDEX',   'N'),
    ('SYSTEM', 'HELP_TOPIC_SEQ',          'INDEX',   'N'),
    ('SYSTEM', 'SYS_C002101',             'INDEX',   'Y');

-- ---------------------------------------------------------------------------
-- HR: human resources
-- ---------------------------------------------------------------------------

INSERT INTO DEMO_COLUMNS (OWNER, TABLE_NAME, COLUMN_NAME, TYPE_SPEC, NULLABLE) VALUES
    ('HR', 'REGIONS', 'REGION_ID',   'NUMBER',       'N'),
    ('HR', 'REGIONS', 'REGION_NAME', 'VARCHAR2(25)', 'Y'),

    ('HR', 'COUNTRIES', 'COUNTRY_ID',   'CHAR(2)',      'N'),
    ('HR', 'COUNTRIES', 'COUNTRY_NAME', 'VARCHAR2(40)', 'Y'),
    ('HR', 'COUNTRIES', 'REGION_ID',    'NUMBER',       'Y'),

    ('HR', 'LOCATIONS', 'LOCATION_ID',    'NUMBER(4)',    'N'),
    ('HR', 'LOCATIONS', 'STREET_ADDRESS', 'VARCHAR2(40)', 'Y'),
    ('HR', 'LOCATIONS', 'POSTAL_CODE',    'VARCHAR2(12)', 'Y'),
    ('HR', 'LOCATIONS', 'CITY',           'VARCHAR2(30)', 'N'),
    ('HR', 'LOCATIONS', 'STATE_PROVINCE', 'VARCHAR2(25)', 'Y'),
    ('HR', 'LOCATIONS', 'COUNTRY_ID',     'CHAR(2)',      'Y'),

    ('HR', 'DEPARTMENTS', 'DEPARTMENT_ID',   'NUMBER(4)',    'N'),
    ('HR', 'DEPARTMENTS', 'DEPARTMENT_NAME', 'VARCHAR2(30)', 'N'),
    ('HR', 'DEPARTMENTS', 'MANAGER_ID',      'NUMBER(6)',    'Y'),
    ('HR', 'DEPARTMENTS', 'LOCATION_ID',     'NUMBER(4)',    'Y'),

    ('HR', 'JOBS', 'JOB_ID',     'VARCHAR2(10)', 'N'),
    ('HR', 'JOBS', 'JOB_TITLE',  'VARCHAR2(35)', 'N'),
    ('HR', 'JOBS', 'MIN_SALARY', 'NUMBER(6)',    'Y'),
    ('HR', 'JOBS', 'MAX_SALARY', 'NUMBER(6)',    'Y'),

    ('HR', 'EMPLOYEES', 'EMPLOYEE_ID',    'NUMBER(6)',    'N'),
    ('HR', 'EMPLOYEES', 'FIRST_NAME',     'VARCHAR2(20)', 'Y'),
    ('HR', 'EMPLOYEES', 'LAST_NAME',      'VARCHAR2(25)', 'N'),
    ('HR', 'EMPLOYEES', 'EMAIL',          'VARCHAR2(25)', 'N'),
    ('HR', 'EMPLOYEES', 'PHONE_NUMBER',   'VARCHAR2(20)', 'Y'),
    ('HR', 'EMPLOYEES', 'HIRE_DATE',      'DATE',         'N'),
    ('HR', 'EMPLOYEES', 'JOB_ID',         'VARCHAR2(10)', 'N'),
    ('HR', 'EMPLOYEES', 'SALARY',         'NUMBER(8,2)',  'Y'),
    ('HR', 'EMPLOYEES', 'COMMISSION_PCT', 'NUMBER(2,2)',  'Y'),
    ('HR', 'EMPLOYEES', 'MANAGER_ID',     'NUMBER(6)',    'Y'),
    ('HR', 'EMPLOYEES', 'DEPARTMENT_ID',  'NUMBER(4)',    'Y'),

    ('HR', 'JOB_HISTORY', 'EMPLOYEE_ID',   'NUMBER(6)',    'N'),
    ('HR', 'JOB_HISTORY', 'START_DATE',    'DATE',         'N'),
    ('HR', 'JOB_HISTORY', 'END_DATE',      'DATE',         'N'),
    ('HR', 'JOB_HISTORY', 'JOB_ID',        'VARCHAR2(10)', 'N'),
    ('HR', 'JOB_HISTORY', 'DEPARTMENT_ID', 'NUMBER(4)',    'Y'),

    ('HR', 'PAYROLL_RUNS', 'RUN_ID',       'NUMBER(10)',   'N'),
    ('HR', 'PAYROLL_RUNS', 'PERIOD_START', 'DATE',         'N'),
    ('HR', 'PAYROLL_RUNS', 'PERIOD_END',   'DATE',         'N'),
    ('HR', 'PAYROLL_RUNS', 'STATUS',       'VARCHAR2(10)', 'N'),
    ('HR', 'PAYROLL_RUNS', 'CREATED_BY',   'VARCHAR2(30)', 'Y'),
    ('HR', 'PAYROLL_RUNS', 'CLOSED_AT',    'TIMESTAMP(6)', 'Y'),

    ('HR', 'PAYSLIPS', 'RUN_ID',      'NUMBER(10)',   'N'),
    ('HR', 'PAYSLIPS', 'EMPLOYEE_ID', 'NUMBER(6)',    'N'),
    ('HR', 'PAYSLIPS', 'GROSS',       'NUMBER(10,2)', 'N'),
    ('HR', 'PAYSLIPS', 'TAX',         'NUMBER(10,2)', 'N'),
    ('HR', 'PAYSLIPS', 'NET',         'NUMBER(10,2)', 'N'),

    ('HR', 'EMP_DETAILS_VIEW', 'EMPLOYEE_ID',     'NUMBER(6)',    'N'),
    ('HR', 'EMP_DETAILS_VIEW', 'JOB_ID',          'VARCHAR2(10)', 'N'),
    ('HR', 'EMP_DETAILS_VIEW', 'MANAGER_ID',      'NUMBER(6)',    'Y'),
    ('HR', 'EMP_DETAILS_VIEW', 'DEPARTMENT_ID',   'NUMBER(4)',    'Y'),
    ('HR', 'EMP_DETAILS_VIEW', 'LOCATION_ID',     'NUMBER(4)',    'Y'),
    ('HR', 'EMP_DETAILS_VIEW', 'COUNTRY_ID',      'CHAR(2)',      'Y'),
    ('HR', 'EMP_DETAILS_VIEW', 'FIRST_NAME',      'VARCHAR2(20)', 'Y'),
    ('HR', 'EMP_DETAILS_VIEW', 'LAST_NAME',       'VARCHAR2(25)', 'N'),
    ('HR', 'EMP_DETAILS_VIEW', 'SALARY',          'NUMBER(8,2)',  'Y'),
    ('HR', 'EMP_DETAILS_VIEW', 'COMMISSION_PCT',  'NUMBER(2,2)',  'Y'),
    ('HR', 'EMP_DETAILS_VIEW', 'DEPARTMENT_NAME', 'VARCHAR2(30)', 'N'),
    ('HR', 'EMP_DETAILS_VIEW', 'JOB_TITLE',       'VARCHAR2(35)', 'N'),
    ('HR', 'EMP_DETAILS_VIEW', 'CITY',            'VARCHAR2(30)', 'N'),
    ('HR', 'EMP_DETAILS_VIEW', 'STATE_PROVINCE',  'VARCHAR2(25)', 'Y'),
    ('HR', 'EMP_DETAILS_VIEW', 'COUNTRY_NAME',    'VARCHAR2(40)', 'Y'),
    ('HR', 'EMP_DETAILS_VIEW', 'REGION_NAME',     'VARCHAR2(25)', 'Y'),

    ('HR', 'EMP_NAMES_V', 'EMPLOYEE_ID', 'NUMBER(6)',    'N'),
    ('HR', 'EMP_NAMES_V', 'FULL_NAME',   'VARCHAR2(46)', 'Y'),
    ('HR', 'EMP_NAMES_V', 'EMAIL',       'VARCHAR2(25)', 'N'),

    ('HR', 'DEPT_SALARY_V', 'DEPARTMENT_ID',   'NUMBER(4)',    'N'),
    ('HR', 'DEPT_SALARY_V', 'DEPARTMENT_NAME', 'VARCHAR2(30)', 'N'),
    ('HR', 'DEPT_SALARY_V', 'HEADCOUNT',       'NUMBER',       'Y'),
    ('HR', 'DEPT_SALARY_V', 'TOTAL_SALARY',    'NUMBER',       'Y'),
    ('HR', 'DEPT_SALARY_V', 'AVG_SALARY',      'NUMBER',       'Y');

UPDATE DEMO_COLUMNS SET DATA_DEFAULT = '''OPEN'''
 WHERE OWNER = 'HR' AND TABLE_NAME = 'PAYROLL_RUNS' AND COLUMN_NAME = 'STATUS';
UPDATE DEMO_COLUMNS SET DATA_DEFAULT = 'USER'
 WHERE OWNER = 'HR' AND TABLE_NAME = 'PAYROLL_RUNS' AND COLUMN_NAME = 'CREATED_BY';

INSERT INTO DBA_TAB_COMMENTS (OWNER, TABLE_NAME, TABLE_TYPE, COMMENTS) VALUES
    ('HR', 'REGIONS', 'TABLE',
     'Regions of the world the company has offices in. Contains the region_id and region_name columns.'),
    ('HR', 'COUNTRIES', 'TABLE',
     'Country table. Contains country_id, country_name and region_id. Names are kept in English and in the local spelling where it differs (Österreich, España, Česko).'),
    ('HR', 'LOCATIONS', 'TABLE',
     'Locations of the offices, warehouses and production sites of the company; addresses keep their accents (Bahnhofstraße 12, Zürich; 3 rue de l''Église, Genève).'),
    ('HR', 'DEPARTMENTS', 'TABLE',
     'Departments table that shows details of the departments where employees work. Contains foreign keys to locations and employees.'),
    ('HR', 'JOBS', 'TABLE',
     'Jobs table with job titles and salary ranges; the ranges are given in € per month.'),
    ('HR', 'EMPLOYEES', 'TABLE',
     'Employees table. Contains a row for every employee, with a foreign key to departments and jobs, and to the manager, who is an employee as well.'),
    ('HR', 'JOB_HISTORY', 'TABLE',
     'Table that stores job history of the employees: a row is added when an employee changes job or department.'),
    ('HR', 'PAYROLL_RUNS', 'TABLE',
     'One row per monthly payroll run (Gehaltsabrechnung); see package HR_PAYROLL.'),
    ('HR', 'EMP_DETAILS_VIEW', 'VIEW',
     'Employees with their department, job, location, country and region, for the payroll and headcount reports.');

INSERT INTO DBA_COL_COMMENTS (OWNER, TABLE_NAME, COLUMN_NAME, COMMENTS) VALUES
    ('HR', 'REGIONS', 'REGION_ID', 'Primary key of regions table.'),
    ('HR', 'REGIONS', 'REGION_NAME', 'Names of regions. Locations are in the countries of these regions.'),
    ('HR', 'COUNTRIES', 'COUNTRY_ID', 'Primary key of countries table: the ISO 3166 two-letter code.'),
    ('HR', 'COUNTRIES', 'COUNTRY_NAME', 'Country name'),
    ('HR', 'LOCATIONS', 'STREET_ADDRESS', 'Street address of an office, warehouse or production site, for example Hauptstraße 5 or 12 avenue des Champs-Élysées.'),
    ('HR', 'LOCATIONS', 'POSTAL_CODE', 'Postal code of the location of an office, warehouse or production site.'),
    ('HR', 'LOCATIONS', 'CITY', 'A not null column that shows the city where an office, warehouse or production site of the company is located.'),
    ('HR', 'DEPARTMENTS', 'DEPARTMENT_NAME', 'A not null column that shows the name of a department. Administration, Marketing, Purchasing, Human Resources, Shipping, IT and so on.'),
    ('HR', 'DEPARTMENTS', 'MANAGER_ID', 'Manager of the department: a foreign key to employee_id of the employees table.'),
    ('HR', 'JOBS', 'JOB_ID', 'Primary key of jobs table.'),
    ('HR', 'JOBS', 'MIN_SALARY', 'Minimum salary for a job title, in € per month.'),
    ('HR', 'JOBS', 'MAX_SALARY', 'Maximum salary for a job title, in € per month.'),
    ('HR', 'EMPLOYEES', 'EMPLOYEE_ID', 'Primary key of employees table.'),
    ('HR', 'EMPLOYEES', 'EMAIL', 'Email id of the employee; unique.'),
    ('HR', 'EMPLOYEES', 'HIRE_DATE', 'Date when the employee started on this job. A not null column.'),
    ('HR', 'EMPLOYEES', 'SALARY', 'Monthly salary of the employee in €. Must be greater than zero; raises of more than 15 % need the approval of the Geschäftsführung.'),
    ('HR', 'EMPLOYEES', 'COMMISSION_PCT', 'Commission percentage of the employee; only employees in the sales department are eligible for commission.'),
    ('HR', 'EMPLOYEES', 'MANAGER_ID', 'Manager id of the employee; has same domain as employee_id.'),
    ('HR', 'JOB_HISTORY', 'EMPLOYEE_ID', 'A not null column in the complex primary key employee_id+start_date.'),
    ('HR', 'JOB_HISTORY', 'END_DATE', 'Last day of the employee in this job role. Must be greater than the start_date.'),
    ('HR', 'PAYROLL_RUNS', 'STATUS', 'OPEN, CALCULATED or CLOSED.'),
    ('HR', 'PAYSLIPS', 'TAX', 'Withheld tax (Lohnsteuer); rounded to the cent, never ≤ 0 for a gross above the allowance.'),
    ('HR', 'EMP_DETAILS_VIEW', 'REGION_NAME', 'Name of the region of the employee''s location.');

INSERT INTO DBA_VIEWS (OWNER, VIEW_NAME, TEXT, EDITIONING_VIEW, READ_ONLY) VALUES
    ('HR', 'EMP_DETAILS_VIEW',
'SELECT /* emp_details: one row per employee, for the payroll reports */
  e.employee_id,
  e.job_id,
  e.manager_id,
  e.department_id,
  d.location_id,
  l.country_id,
  e.first_name,
  e.last_name,
  e.salary,
  e.commission_pct,
  d.department_name,
  j.job_title,
  l.city,
  l.state_province,
  c.country_name,
  r.region_name
FROM
  employees e,
  departments d,
  jobs j,
  locations l,
  countries c,
  regions r
WHERE e.department_id = d.department_id
  AND d.location_id = l.location_id
  AND l.country_id = c.country_id
  AND c.region_id = r.region_id
  AND j.job_id = e.job_id
WITH READ ONLY',
     'N', 'Y'),
    ('HR', 'EMP_NAMES_V',
'SELECT employee_id,
       first_name || '' '' || last_name AS full_name,
       email
  FROM employees',
     'N', 'N'),
    ('HR', 'DEPT_SALARY_V',
'SELECT d.department_id,
       d.department_name,
       COUNT(e.employee_id) AS headcount,
       SUM(e.salary) AS total_salary,
       ROUND(AVG(e.salary), 2) AS avg_salary
  FROM departments d
  LEFT JOIN employees e ON e.department_id = d.department_id
 GROUP BY d.department_id, d.department_name',
     'N', 'N');

INSERT INTO DBA_TRIGGERS (OWNER, TRIGGER_NAME, TRIGGER_TYPE, TRIGGERING_EVENT, TABLE_OWNER,
                          BASE_OBJECT_TYPE, TABLE_NAME, COLUMN_NAME, REFERENCING_NAMES,
                          WHEN_CLAUSE, STATUS, DESCRIPTION, ACTION_TYPE, TRIGGER_BODY) VALUES
    ('HR', 'SECURE_EMPLOYEES', 'BEFORE STATEMENT', 'INSERT OR UPDATE OR DELETE', 'HR',
     'TABLE', 'EMPLOYEES', NULL, 'REFERENCING NEW AS NEW OLD AS OLD',
     NULL, 'DISABLED',
'secure_employees
  BEFORE INSERT OR UPDATE OR DELETE ON employees
',
     'PL/SQL',
'BEGIN
  secure_dml;
END secure_employees;'),
    ('HR', 'UPDATE_JOB_HISTORY', 'AFTER EACH ROW', 'UPDATE', 'HR',
     'TABLE', 'EMPLOYEES', NULL, 'REFERENCING NEW AS NEW OLD AS OLD',
     NULL, 'ENABLED',
'update_job_history
  AFTER UPDATE OF job_id, department_id ON employees
  FOR EACH ROW
',
     'PL/SQL',
'BEGIN
  add_job_history(:old.employee_id, :old.hire_date, sysdate,
                  :old.job_id, :old.department_id);
END;'),
    ('HR', 'PAYROLL_RUNS_BIU', 'BEFORE EACH ROW', 'INSERT OR UPDATE', 'HR',
     'TABLE', 'PAYROLL_RUNS', NULL, 'REFERENCING NEW AS NEW OLD AS OLD',
     'new.status <> ''CLOSED''', 'ENABLED',
'payroll_runs_biu
  BEFORE INSERT OR UPDATE ON payroll_runs
  FOR EACH ROW
  WHEN (new.status <> ''CLOSED'')
',
     'PL/SQL',
'DECLARE
  -- Stichtag: a run may not end before it starts.
  e_bad_period exception;
BEGIN
  IF :new.period_end < :new.period_start THEN
    RAISE e_bad_period;
  END IF;
  IF inserting THEN
    :new.run_id := payroll_run_seq.nextval;
    :new.created_by := user;
  END IF;
EXCEPTION
  WHEN e_bad_period THEN
    raise_application_error(-20310, ''Payroll period ends before it starts'');
END;');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('HR', 'SECURE_DML', 'PROCEDURE',
'procedure secure_dml
is
begin
  -- Changes to employees are allowed on working days between 8:00 and 18:00.
  if to_char(sysdate, ''HH24:MI'') not between ''08:00'' and ''18:00''
     or to_char(sysdate, ''DY'', ''nls_date_language=american'') in (''SAT'', ''SUN'') then
    raise_application_error(-20205,
      ''You may only make changes during normal office hours'');
  end if;
end secure_dml;');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('HR', 'ADD_JOB_HISTORY', 'PROCEDURE',
'procedure add_job_history
  (  p_emp_id          job_history.employee_id%type
   , p_start_date      job_history.start_date%type
   , p_end_date        job_history.end_date%type
   , p_job_id          job_history.job_id%type
   , p_department_id   job_history.department_id%type
   )
is
begin
  insert into job_history (employee_id, start_date, end_date,
                           job_id, department_id)
    values (p_emp_id, p_start_date, p_end_date, p_job_id, p_department_id);
end add_job_history;');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('HR', 'GET_ANNUAL_SALARY', 'FUNCTION',
'function get_annual_salary (p_employee_id in employees.employee_id%type)
  return number
is
  v_salary  employees.salary%type;
  v_comm    employees.commission_pct%type;
begin
  select salary, nvl(commission_pct, 0)
    into v_salary, v_comm
    from employees
   where employee_id = p_employee_id;
  -- twelve monthly salaries plus the commission on them
  return v_salary * 12 * (1 + v_comm);
exception
  when no_data_found then
    return null;
end get_annual_salary;');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('HR', 'HR_PAYROLL', 'PACKAGE',
'package hr_payroll
as
  -- Monthly payroll runs (Gehaltsabrechnung). Amounts are in €, the
  -- currency of the Zürich, München and Genève offices.

  c_max_raise_pct  constant number := 15;
  c_tax_allowance  constant number := 1000;

  type t_payslip is record (
    employee_id   employees.employee_id%type,
    gross         number(10,2),
    tax           number(10,2),
    net           number(10,2));

  e_run_closed exception;
  pragma exception_init(e_run_closed, -20301);

  function open_run (p_period_start in date, p_period_end in date) return number;
  procedure calculate (p_run_id in number);
  procedure give_raise (p_employee_id in number, p_pct in number);
  function payslip (p_run_id in number, p_employee_id in number) return t_payslip;
  procedure close_run (p_run_id in number);
end hr_payroll;');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('HR', 'HR_PAYROLL', 'PACKAGE BODY',
'package body hr_payroll
as
  -- Tax is a flat rate above the allowance; the real rules live in the
  -- accounting system, this only gives the payslips a plausible figure.
  c_tax_rate constant number := 0.27;

  function run_status (p_run_id in number) return varchar2
  is
    v_status payroll_runs.status%type;
  begin
    select status into v_status
      from payroll_runs
     where run_id = p_run_id;
    return v_status;
  end run_status;

  procedure check_open (p_run_id in number)
  is
  begin
    if run_status(p_run_id) = ''CLOSED'' then
      raise_application_error(-20301,
        ''Payroll run '' || p_run_id || '' is closed; open a new run instead'');
    end if;
  end check_open;

  function tax_for (p_gross in number) return number
  is
  begin
    if p_gross <= c_tax_allowance then
      return 0;
    end if;
    return round((p_gross - c_tax_allowance) * c_tax_rate, 2);
  end tax_for;

  function open_run (p_period_start in date, p_period_end in date) return number
  is
    v_run_id payroll_runs.run_id%type;
  begin
    insert into payroll_runs (period_start, period_end, status)
      values (p_period_start, p_period_end, ''OPEN'')
      returning run_id into v_run_id;
    return v_run_id;
  end open_run;

  procedure calculate (p_run_id in number)
  is
  begin
    check_open(p_run_id);
    delete from payslips where run_id = p_run_id;
    -- One payslip per employee; the commission is paid on top of the salary.
    for r in (select employee_id,
                     salary * (1 + nvl(commission_pct, 0)) as gross
                from employees
               where salary is not null)
    loop
      insert into payslips (run_id, employee_id, gross, tax, net)
        values (p_run_id, r.employee_id, r.gross,
                tax_for(r.gross), r.gross - tax_for(r.gross));
    end loop;
    update payroll_runs set status = ''CALCULATED'' where run_id = p_run_id;
  end calculate;

  procedure give_raise (p_employee_id in number, p_pct in number)
  is
  begin
    if p_pct > c_max_raise_pct then
      -- Raises above the limit need the Geschäftsführung; see the column
      -- comment on employees.salary.
      raise_application_error(-20302,
        ''A raise of '' || p_pct || '' % needs approval'');
    end if;
    update employees
       set salary = round(salary * (1 + p_pct / 100), 2)
     where employee_id = p_employee_id;
    if sql%rowcount = 0 then
      raise no_data_found;
    end if;
  end give_raise;

  function payslip (p_run_id in number, p_employee_id in number) return t_payslip
  is
    v_slip t_payslip;
  begin
    select employee_id, gross, tax, net
      into v_slip
      from payslips
     where run_id = p_run_id
       and employee_id = p_employee_id;
    return v_slip;
  end payslip;

  procedure close_run (p_run_id in number)
  is
  begin
    check_open(p_run_id);
    update payroll_runs
       set status = ''CLOSED'',
           closed_at = systimestamp
     where run_id = p_run_id;
  end close_run;
end hr_payroll;');

INSERT INTO DEMO_OBJECTS (OWNER, OBJECT_NAME, OBJECT_TYPE) VALUES
    ('HR', 'REG_ID_PK',         'INDEX'),
    ('HR', 'COUNTRY_C_ID_PK',   'INDEX'),
    ('HR', 'LOC_ID_PK',         'INDEX'),
    ('HR', 'LOC_CITY_IX',       'INDEX'),
    ('HR', 'DEPT_ID_PK',        'INDEX'),
    ('HR', 'JOB_ID_PK',         'INDEX'),
    ('HR', 'EMP_EMP_ID_PK',     'INDEX'),
    ('HR', 'EMP_EMAIL_UK',      'INDEX'),
    ('HR', 'EMP_NAME_IX',       'INDEX'),
    ('HR', 'JHIST_EMP_ID_ST_DATE_PK', 'INDEX'),
    ('HR', 'PAYSLIPS_PK',       'INDEX'),
    ('HR', 'LOCATIONS_SEQ',     'SEQUENCE'),
    ('HR', 'DEPARTMENTS_SEQ',   'SEQUENCE'),
    ('HR', 'EMPLOYEES_SEQ',     'SEQUENCE'),
    ('HR', 'PAYROLL_RUN_SEQ',   'SEQUENCE');

-- ---------------------------------------------------------------------------
-- SALES: customers, products and orders
-- ---------------------------------------------------------------------------

INSERT INTO DEMO_COLUMNS (OWNER, TABLE_NAME, COLUMN_NAME, TYPE_SPEC, NULLABLE) VALUES
    ('SALES', 'REGIONS', 'REGION_CODE',      'VARCHAR2(4)',  'N'),
    ('SALES', 'REGIONS', 'REGION_NAME',      'VARCHAR2(40)', 'N'),
    ('SALES', 'REGIONS', 'SALES_MANAGER_ID', 'NUMBER(6)',    'Y'),

    ('SALES', 'CUSTOMERS', 'CUSTOMER_ID',   'NUMBER(8)',     'N'),
    ('SALES', 'CUSTOMERS', 'CUSTOMER_NAME', 'VARCHAR2(80)',  'N'),
    ('SALES', 'CUSTOMERS', 'STREET',        'VARCHAR2(60)',  'Y'),
    ('SALES', 'CUSTOMERS', 'POSTAL_CODE',   'VARCHAR2(10)',  'Y'),
    ('SALES', 'CUSTOMERS', 'CITY',          'VARCHAR2(40)',  'Y'),
    ('SALES', 'CUSTOMERS', 'COUNTRY_ID',    'CHAR(2)',       'Y'),
    ('SALES', 'CUSTOMERS', 'REGION_CODE',   'VARCHAR2(4)',   'Y'),
    ('SALES', 'CUSTOMERS', 'CREDIT_LIMIT',  'NUMBER(12,2)',  'Y'),
    ('SALES', 'CUSTOMERS', 'EMAIL',         'VARCHAR2(80)',  'Y'),
    ('SALES', 'CUSTOMERS', 'CREATED_AT',    'TIMESTAMP(6)',  'N'),

    ('SALES', 'PRODUCTS', 'PRODUCT_ID',   'NUMBER(8)',    'N'),
    ('SALES', 'PRODUCTS', 'PRODUCT_NAME', 'VARCHAR2(80)', 'N'),
    ('SALES', 'PRODUCTS', 'CATEGORY',     'VARCHAR2(30)', 'Y'),
    ('SALES', 'PRODUCTS', 'GRÖSSE',       'VARCHAR2(10)', 'Y'),
    ('SALES', 'PRODUCTS', 'LIST_PRICE',   'NUMBER(10,2)', 'Y'),
    ('SALES', 'PRODUCTS', 'DESCRIPTION',  'CLOB',         'Y'),
    ('SALES', 'PRODUCTS', 'DISCONTINUED', 'CHAR(1)',      'N'),

    ('SALES', 'ORDERS', 'ORDER_ID',      'NUMBER(10)',   'N'),
    ('SALES', 'ORDERS', 'CUSTOMER_ID',   'NUMBER(8)',    'N'),
    ('SALES', 'ORDERS', 'ORDER_DATE',    'DATE',         'N'),
    ('SALES', 'ORDERS', 'STATUS',        'VARCHAR2(12)', 'N'),
    ('SALES', 'ORDERS', 'SALES_REP_ID',  'NUMBER(6)',    'Y'),
    ('SALES', 'ORDERS', 'ORDER_TOTAL',   'NUMBER(12,2)', 'Y'),
    ('SALES', 'ORDERS', 'CURRENCY_CODE', 'CHAR(3)',      'N'),

    ('SALES', 'ORDER_ITEMS', 'ORDER_ID',     'NUMBER(10)',   'N'),
    ('SALES', 'ORDER_ITEMS', 'LINE_NO',      'NUMBER(4)',    'N'),
    ('SALES', 'ORDER_ITEMS', 'PRODUCT_ID',   'NUMBER(8)',    'N'),
    ('SALES', 'ORDER_ITEMS', 'QUANTITY',     'NUMBER(8)',    'N'),
    ('SALES', 'ORDER_ITEMS', 'UNIT_PRICE',   'NUMBER(10,2)', 'N'),
    ('SALES', 'ORDER_ITEMS', 'DISCOUNT_PCT', 'NUMBER(4,2)',  'Y'),

    ('SALES', 'PRICE_HISTORY', 'PRODUCT_ID', 'NUMBER(8)',    'N'),
    ('SALES', 'PRICE_HISTORY', 'VALID_FROM', 'DATE',         'N'),
    ('SALES', 'PRICE_HISTORY', 'VALID_TO',   'DATE',         'Y'),
    ('SALES', 'PRICE_HISTORY', 'LIST_PRICE', 'NUMBER(10,2)', 'N'),
    ('SALES', 'PRICE_HISTORY', 'CHANGED_BY', 'VARCHAR2(30)', 'Y'),

    ('SALES', 'ORDER_IMPORT', 'FILE_NAME',   'VARCHAR2(260)',  'N'),
    ('SALES', 'ORDER_IMPORT', 'LINE_NO',     'NUMBER(8)',      'N'),
    ('SALES', 'ORDER_IMPORT', 'RAW_LINE',    'VARCHAR2(4000)', 'Y'),
    ('SALES', 'ORDER_IMPORT', 'ERROR_TEXT',  'VARCHAR2(400)',  'Y'),
    ('SALES', 'ORDER_IMPORT', 'IMPORTED_AT', 'DATE',           'N'),

    ('SALES', 'CUSTOMER_ORDERS_V', 'CUSTOMER_ID',   'NUMBER(8)',    'N'),
    ('SALES', 'CUSTOMER_ORDERS_V', 'CUSTOMER_NAME', 'VARCHAR2(80)', 'N'),
    ('SALES', 'CUSTOMER_ORDERS_V', 'CITY',          'VARCHAR2(40)', 'Y'),
    ('SALES', 'CUSTOMER_ORDERS_V', 'ORDER_ID',      'NUMBER(10)',   'N'),
    ('SALES', 'CUSTOMER_ORDERS_V', 'ORDER_DATE',    'DATE',         'N'),
    ('SALES', 'CUSTOMER_ORDERS_V', 'STATUS',        'VARCHAR2(12)', 'N'),
    ('SALES', 'CUSTOMER_ORDERS_V', 'ORDER_TOTAL',   'NUMBER(12,2)', 'Y'),

    ('SALES', 'ORDER_TOTALS_V', 'ORDER_ID',    'NUMBER(10)', 'N'),
    ('SALES', 'ORDER_TOTALS_V', 'ITEM_COUNT',  'NUMBER',     'Y'),
    ('SALES', 'ORDER_TOTALS_V', 'GROSS_TOTAL', 'NUMBER',     'Y'),
    ('SALES', 'ORDER_TOTALS_V', 'NET_TOTAL',   'NUMBER',     'Y'),

    ('SALES', 'SALES_BY_REGION_V', 'REGION_CODE', 'VARCHAR2(4)',  'N'),
    ('SALES', 'SALES_BY_REGION_V', 'REGION_NAME', 'VARCHAR2(40)', 'N'),
    ('SALES', 'SALES_BY_REGION_V', 'ORDER_YEAR',  'VARCHAR2(4)',  'Y'),
    ('SALES', 'SALES_BY_REGION_V', 'ORDERS',      'NUMBER',       'Y'),
    ('SALES', 'SALES_BY_REGION_V', 'REVENUE',     'NUMBER',       'Y'),

    ('SALES', 'O''REILLY_V', 'PRODUCT_ID',   'NUMBER(8)',    'N'),
    ('SALES', 'O''REILLY_V', 'PRODUCT_NAME', 'VARCHAR2(80)', 'N'),
    ('SALES', 'O''REILLY_V', 'LIST_PRICE',   'NUMBER(10,2)', 'Y'),

    ('SALES', 'IMPORT_ERRORS_V', 'FILE_NAME',  'VARCHAR2(260)', 'N'),
    ('SALES', 'IMPORT_ERRORS_V', 'LINE_NO',    'NUMBER(8)',     'N'),
    ('SALES', 'IMPORT_ERRORS_V', 'ERROR_TEXT', 'VARCHAR2(400)', 'Y');

UPDATE DEMO_COLUMNS SET DATA_DEFAULT = '''N'''
 WHERE OWNER = 'SALES' AND TABLE_NAME = 'PRODUCTS' AND COLUMN_NAME = 'DISCONTINUED';
UPDATE DEMO_COLUMNS SET DATA_DEFAULT = '''EUR'''
 WHERE OWNER = 'SALES' AND TABLE_NAME = 'ORDERS' AND COLUMN_NAME = 'CURRENCY_CODE';
UPDATE DEMO_COLUMNS SET DATA_DEFAULT = 'systimestamp'
 WHERE OWNER = 'SALES' AND TABLE_NAME = 'CUSTOMERS' AND COLUMN_NAME = 'CREATED_AT';

INSERT INTO DBA_TAB_COMMENTS (OWNER, TABLE_NAME, TABLE_TYPE, COMMENTS) VALUES
    ('SALES', 'REGIONS', 'TABLE',
     'Sales regions as the sales force divides the market; not the same as the regions of HR.'),
    ('SALES', 'CUSTOMERS', 'TABLE',
     'Customers of the shop. Names and addresses are stored as the customer wrote them: Müller & Söhne, Café Noël, Straße, Ångström.'),
    ('SALES', 'PRODUCTS', 'TABLE',
     'Products for sale, with their list price in €.'),
    ('SALES', 'ORDERS', 'TABLE',
     'Customer orders; ORDER_TOTAL is kept up to date by the trigger ORDER_ITEMS_AIUD.'),
    ('SALES', 'ORDER_ITEMS', 'TABLE',
     'Lines of the customer orders.'),
    ('SALES', 'PRICE_HISTORY', 'TABLE',
     'Earlier list prices of the products; a row is written by the trigger PRODUCTS_PRICE_AU whenever a list price changes.'),
    ('SALES', 'ORDER_IMPORT', 'TABLE',
     'Raw lines of the order files sent by the resellers; see procedure IMPORT_ORDERS.'),
    ('SALES', 'O''REILLY_V', 'VIEW',
     'Books published by O''Reilly, for the reseller catalogue.');

INSERT INTO DBA_COL_COMMENTS (OWNER, TABLE_NAME, COLUMN_NAME, COMMENTS) VALUES
    ('SALES', 'CUSTOMERS', 'CUSTOMER_NAME', 'Name of the customer as printed on the invoice (accents and ß kept).'),
    ('SALES', 'CUSTOMERS', 'CREDIT_LIMIT', 'Credit limit in €; orders above it need a prepayment.'),
    ('SALES', 'CUSTOMERS', 'EMAIL', 'Address for order confirmations; may be empty.'),
    ('SALES', 'PRODUCTS', 'GRÖSSE', 'Packungsgröße, e.g. 500 g, 1 l or 10 Ω for the resistor kits.'),
    ('SALES', 'PRODUCTS', 'LIST_PRICE', 'List price in €, tax included.'),
    ('SALES', 'PRODUCTS', 'DISCONTINUED', 'Y when the product is no longer sold; old orders keep it.'),
    ('SALES', 'ORDERS', 'STATUS', 'NEW, CONFIRMED, SHIPPED, INVOICED or CANCELLED.'),
    ('SALES', 'ORDERS', 'CURRENCY_CODE', 'ISO 4217 code of the currency; EUR unless the reseller pays otherwise (CAFÉ ROYAL pays in CHF).'),
    ('SALES', 'ORDERS', 'ORDER_TOTAL', 'Sum of the order lines after discount.'),
    ('SALES', 'ORDER_ITEMS', 'DISCOUNT_PCT', 'Discount on this line in percent; at most 30.'),
    ('SALES', 'ORDER_IMPORT', 'RAW_LINE', 'The line as read from the file, with the separators; the files come from Windows and Mac machines.'),
    ('SALES', 'O''REILLY_V', 'PRODUCT_NAME', 'Title of the book');

INSERT INTO DBA_VIEWS (OWNER, VIEW_NAME, TEXT, EDITIONING_VIEW, READ_ONLY) VALUES
    ('SALES', 'CUSTOMER_ORDERS_V',
'SELECT c.customer_id,
       c.customer_name,
       c.city,
       o.order_id,
       o.order_date,
       o.status,
       o.order_total
  FROM customers c
  JOIN orders o ON o.customer_id = c.customer_id
 WHERE o.status <> ''CANCELLED''
   AND c.city IN (''Zürich'', ''Genève'', ''Köln'', ''Malmö'')',
     'N', 'N'),
    ('SALES', 'ORDER_TOTALS_V',
'SELECT oi.order_id,
       COUNT(*) AS item_count,
       SUM(oi.quantity * oi.unit_price) AS gross_total,
       SUM(oi.quantity * oi.unit_price * (1 - NVL(oi.discount_pct, 0) / 100)) AS net_total
  FROM order_items oi
 GROUP BY oi.order_id',
     'N', 'N'),
    ('SALES', 'SALES_BY_REGION_V',
'SELECT r.region_code, r.region_name, TO_CHAR(o.order_date, ''YYYY'') AS order_year, COUNT(DISTINCT o.order_id) AS orders, SUM(o.order_total) AS revenue FROM regions r JOIN customers c ON c.region_code = r.region_code JOIN orders o ON o.customer_id = c.customer_id WHERE o.status IN (''SHIPPED'', ''INVOICED'') AND o.currency_code = ''EUR''
 GROUP BY r.region_code, r.region_name, TO_CHAR(o.order_date, ''YYYY'')',
     'N', 'N'),
    ('SALES', 'O''REILLY_V',
'SELECT p.product_id, p.product_name, p.list_price
  FROM products p
 WHERE p.category = ''Books''
   AND p.product_name LIKE ''%O''''Reilly%''',
     'N', 'N'),
    -- Created from a Windows client: Oracle keeps the CR LF line ends as sent.
    ('SALES', 'IMPORT_ERRORS_V',
     'SELECT file_name, line_no, error_text' || char(13) || char(10) ||
     '  FROM order_import' || char(13) || char(10) ||
     ' WHERE error_text IS NOT NULL',
     'N', 'N');

INSERT INTO DBA_TRIGGERS (OWNER, TRIGGER_NAME, TRIGGER_TYPE, TRIGGERING_EVENT, TABLE_OWNER,
                          BASE_OBJECT_TYPE, TABLE_NAME, COLUMN_NAME, REFERENCING_NAMES,
                          WHEN_CLAUSE, STATUS, DESCRIPTION, ACTION_TYPE, TRIGGER_BODY) VALUES
    ('SALES', 'ORDERS_BIU', 'BEFORE EACH ROW', 'INSERT OR UPDATE', 'SALES',
     'TABLE', 'ORDERS', NULL, 'REFERENCING NEW AS NEW OLD AS OLD',
     NULL, 'ENABLED',
'orders_biu
  BEFORE INSERT OR UPDATE ON orders
  FOR EACH ROW
',
     'PL/SQL',
'BEGIN
  IF inserting THEN
    :new.order_id := orders_seq.nextval;
    :new.order_date := NVL(:new.order_date, SYSDATE);
    :new.status := NVL(:new.status, ''NEW'');
  END IF;
  IF updating(''STATUS'') AND :old.status = ''INVOICED'' THEN
    raise_application_error(-20401, ''An invoiced order cannot change its status'');
  END IF;
END;'),
    ('SALES', 'ORDER_ITEMS_AIUD', 'AFTER STATEMENT', 'INSERT OR UPDATE OR DELETE', 'SALES',
     'TABLE', 'ORDER_ITEMS', NULL, 'REFERENCING NEW AS NEW OLD AS OLD',
     NULL, 'ENABLED',
'order_items_aiud
  AFTER INSERT OR UPDATE OR DELETE ON order_items
',
     'PL/SQL',
'BEGIN
  -- Totals of every touched order; sales_pkg collects the order ids.
  sales_pkg.recalc_totals;
END;'),
    ('SALES', 'PRODUCTS_PRICE_AU', 'AFTER EACH ROW', 'UPDATE', 'SALES',
     'TABLE', 'PRODUCTS', NULL, 'REFERENCING NEW AS NEW OLD AS OLD',
     'new.list_price <> old.list_price', 'ENABLED',
'products_price_au
  AFTER UPDATE OF list_price ON products
  FOR EACH ROW
  WHEN (new.list_price <> old.list_price)
',
     'PL/SQL',
'BEGIN
  -- Preisänderung protokollieren: der alte Preis gilt bis gestern.
  UPDATE price_history
     SET valid_to = TRUNC(SYSDATE) - 1
   WHERE product_id = :old.product_id
     AND valid_to IS NULL;
  INSERT INTO price_history (product_id, valid_from, valid_to, list_price, changed_by)
  VALUES (:new.product_id, TRUNC(SYSDATE), NULL, :new.list_price, USER);
END;');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('SALES', 'ORDER_TOTAL', 'FUNCTION',
'function order_total (p_order_id in orders.order_id%type) return number
is
  v_total number;
begin
  select nvl(sum(quantity * unit_price * (1 - nvl(discount_pct, 0) / 100)), 0)
    into v_total
    from order_items
   where order_id = p_order_id;
  return round(v_total, 2);
end order_total;');

-- Written by a reseller's developer who indents with tabs ("\t" below).
INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('SALES', 'IMPORT_ORDERS', 'PROCEDURE', replace(
'procedure import_orders (p_file_name in varchar2)
is
\tv_count\tpls_integer := 0;
begin
\tfor r in (select line_no, raw_line
\t\t\t\tfrom order_import
\t\t\t   where file_name = p_file_name
\t\t\t\t and error_text is null
\t\t\t   order by line_no)
\tloop
\t\tbegin
\t\t\tsales_pkg.add_order_line(r.raw_line);
\t\t\tv_count := v_count + 1;
\t\texception
\t\t\twhen others then
\t\t\t\tupdate order_import
\t\t\t\t   set error_text = substr(sqlerrm, 1, 400)
\t\t\t\t where file_name = p_file_name
\t\t\t\t   and line_no = r.line_no;
\t\tend;
\tend loop;
\tdbms_output.put_line(v_count || '' lines imported from '' || p_file_name);
end import_orders;', '\t', char(9)));

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('SALES', 'SALES_PKG', 'PACKAGE',
'package sales_pkg
as
  -- Order entry and the bookkeeping behind it. Prices and totals are in the
  -- order''s currency, normally €.

  c_max_discount_pct constant number := 30;

  subtype t_status is orders.status%type;

  function new_order (p_customer_id in number) return number;
  procedure add_item (p_order_id in number, p_product_id in number,
                      p_quantity in number, p_discount_pct in number default null);
  procedure add_order_line (p_raw_line in varchar2);
  procedure set_status (p_order_id in number, p_status in t_status);
  procedure note_changed_order (p_order_id in number);
  procedure recalc_totals;
  function customer_revenue (p_customer_id in number, p_year in number) return number;
end sales_pkg;');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('SALES', 'SALES_PKG', 'PACKAGE BODY',
'package body sales_pkg
as
  -- Order ids touched by the statement that is running; the statement
  -- trigger on order_items recalculates them at its end.
  type t_order_ids is table of boolean index by pls_integer;
  g_changed t_order_ids;

  function new_order (p_customer_id in number) return number
  is
    v_order_id orders.order_id%type;
  begin
    insert into orders (customer_id, status, currency_code)
      values (p_customer_id, ''NEW'', ''EUR'')
      returning order_id into v_order_id;
    return v_order_id;
  end new_order;

  function next_line_no (p_order_id in number) return number
  is
    v_line_no order_items.line_no%type;
  begin
    select nvl(max(line_no), 0) + 1
      into v_line_no
      from order_items
     where order_id = p_order_id;
    return v_line_no;
  end next_line_no;

  procedure add_item (p_order_id in number, p_product_id in number,
                      p_quantity in number, p_discount_pct in number default null)
  is
    v_price products.list_price%type;
    v_discontinued products.discontinued%type;
  begin
    if p_discount_pct > c_max_discount_pct then
      raise_application_error(-20402,
        ''Discount of '' || p_discount_pct || '' % is above the limit of ''
        || c_max_discount_pct || '' %'');
    end if;
    select list_price, discontinued
      into v_price, v_discontinued
      from products
     where product_id = p_product_id;
    if v_discontinued = ''Y'' then
      raise_application_error(-20403,
        ''Product '' || p_product_id || '' is discontinued'');
    end if;
    insert into order_items (order_id, line_no, product_id, quantity,
                             unit_price, discount_pct)
      values (p_order_id, next_line_no(p_order_id), p_product_id, p_quantity,
              v_price, p_discount_pct);
  end add_item;

  -- A reseller line reads: customer id; product id; quantity[; discount]
  -- The separator is ";" and a line may end with CR LF.
  procedure add_order_line (p_raw_line in varchar2)
  is
    v_line        varchar2(4000) := rtrim(p_raw_line, chr(13) || chr(10));
    v_customer_id number;
    v_product_id  number;
    v_quantity    number;
    v_discount    number;
    v_order_id    number;
  begin
    v_customer_id := to_number(regexp_substr(v_line, ''[^;]+'', 1, 1));
    v_product_id  := to_number(regexp_substr(v_line, ''[^;]+'', 1, 2));
    v_quantity    := to_number(regexp_substr(v_line, ''[^;]+'', 1, 3));
    v_discount    := to_number(regexp_substr(v_line, ''[^;]+'', 1, 4));
    select max(order_id)
      into v_order_id
      from orders
     where customer_id = v_customer_id
       and status = ''NEW'';
    if v_order_id is null then
      v_order_id := new_order(v_customer_id);
    end if;
    add_item(v_order_id, v_product_id, v_quantity, v_discount);
  end add_order_line;

  procedure set_status (p_order_id in number, p_status in t_status)
  is
  begin
    if p_status not in (''NEW'', ''CONFIRMED'', ''SHIPPED'', ''INVOICED'', ''CANCELLED'') then
      raise_application_error(-20404, ''Unknown order status '' || p_status);
    end if;
    update orders set status = p_status where order_id = p_order_id;
  end set_status;

  procedure note_changed_order (p_order_id in number)
  is
  begin
    g_changed(p_order_id) := true;
  end note_changed_order;

  procedure recalc_totals
  is
    v_order_id pls_integer := g_changed.first;
  begin
    while v_order_id is not null loop
      update orders
         set order_total = order_total(v_order_id)
       where order_id = v_order_id;
      v_order_id := g_changed.next(v_order_id);
    end loop;
    g_changed.delete;
  end recalc_totals;

  function customer_revenue (p_customer_id in number, p_year in number) return number
  is
    v_revenue number;
  begin
    select nvl(sum(order_total), 0)
      into v_revenue
      from orders
     where customer_id = p_customer_id
       and status in (''SHIPPED'', ''INVOICED'')
       and extract(year from order_date) = p_year;
    return v_revenue;
  end customer_revenue;
end sales_pkg;');

INSERT INTO DEMO_OBJECTS (OWNER, OBJECT_NAME, OBJECT_TYPE) VALUES
    ('SALES', 'REGIONS_PK',       'INDEX'),
    ('SALES', 'CUSTOMERS_PK',     'INDEX'),
    ('SALES', 'CUSTOMERS_NAME_IX','INDEX'),
    ('SALES', 'PRODUCTS_PK',      'INDEX'),
    ('SALES', 'ORDERS_PK',        'INDEX'),
    ('SALES', 'ORDERS_CUST_IX',   'INDEX'),
    ('SALES', 'ORDER_ITEMS_PK',   'INDEX'),
    ('SALES', 'PRICE_HISTORY_PK', 'INDEX'),
    ('SALES', 'ORDERS_SEQ',       'SEQUENCE'),
    ('SALES', 'CUSTOMERS_SEQ',    'SEQUENCE'),
    ('SALES', 'EMPLOYEES',        'SYNONYM');

-- ---------------------------------------------------------------------------
-- SCOTT: the classic demo schema
-- ---------------------------------------------------------------------------

INSERT INTO DEMO_COLUMNS (OWNER, TABLE_NAME, COLUMN_NAME, TYPE_SPEC, NULLABLE) VALUES
    ('SCOTT', 'DEPT', 'DEPTNO', 'NUMBER(2)',    'N'),
    ('SCOTT', 'DEPT', 'DNAME',  'VARCHAR2(14)', 'Y'),
    ('SCOTT', 'DEPT', 'LOC',    'VARCHAR2(13)', 'Y'),

    ('SCOTT', 'EMP', 'EMPNO',    'NUMBER(4)',    'N'),
    ('SCOTT', 'EMP', 'ENAME',    'VARCHAR2(10)', 'Y'),
    ('SCOTT', 'EMP', 'JOB',      'VARCHAR2(9)',  'Y'),
    ('SCOTT', 'EMP', 'MGR',      'NUMBER(4)',    'Y'),
    ('SCOTT', 'EMP', 'HIREDATE', 'DATE',         'Y'),
    ('SCOTT', 'EMP', 'SAL',      'NUMBER(7,2)',  'Y'),
    ('SCOTT', 'EMP', 'COMM',     'NUMBER(7,2)',  'Y'),
    ('SCOTT', 'EMP', 'DEPTNO',   'NUMBER(2)',    'Y'),

    ('SCOTT', 'BONUS', 'ENAME', 'VARCHAR2(10)', 'Y'),
    ('SCOTT', 'BONUS', 'JOB',   'VARCHAR2(9)',  'Y'),
    ('SCOTT', 'BONUS', 'SAL',   'NUMBER',       'Y'),
    ('SCOTT', 'BONUS', 'COMM',  'NUMBER',       'Y'),

    ('SCOTT', 'SALGRADE', 'GRADE', 'NUMBER', 'Y'),
    ('SCOTT', 'SALGRADE', 'LOSAL', 'NUMBER', 'Y'),
    ('SCOTT', 'SALGRADE', 'HISAL', 'NUMBER', 'Y'),

    ('SCOTT', 'EMP_V', 'EMPNO',  'NUMBER(4)',    'N'),
    ('SCOTT', 'EMP_V', 'ENAME',  'VARCHAR2(10)', 'Y'),
    ('SCOTT', 'EMP_V', 'JOB',    'VARCHAR2(9)',  'Y'),
    ('SCOTT', 'EMP_V', 'DNAME',  'VARCHAR2(14)', 'Y');

INSERT INTO DBA_TAB_COMMENTS (OWNER, TABLE_NAME, TABLE_TYPE, COMMENTS) VALUES
    ('SCOTT', 'EMP', 'TABLE', 'Employees of the demo company'),
    ('SCOTT', 'DEPT', 'TABLE', 'Departments of the demo company');

INSERT INTO DBA_COL_COMMENTS (OWNER, TABLE_NAME, COLUMN_NAME, COMMENTS) VALUES
    ('SCOTT', 'EMP', 'SAL', 'Monthly salary'),
    ('SCOTT', 'EMP', 'COMM', 'Commission; salesmen only');

INSERT INTO DBA_VIEWS (OWNER, VIEW_NAME, TEXT, EDITIONING_VIEW, READ_ONLY) VALUES
    ('SCOTT', 'EMP_V',
'select e.empno, e.ename, e.job, d.dname
from emp e, dept d
where e.deptno = d.deptno',
     'N', 'N');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('SCOTT', 'PAY_PKG', 'PACKAGE',
'package pay_pkg is
  function total_pay (p_empno in emp.empno%type) return number;
  procedure raise_salary (p_empno in emp.empno%type, p_amount in number);
end pay_pkg;');

INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT) VALUES ('SCOTT', 'PAY_PKG', 'PACKAGE BODY',
'package body pay_pkg is
  function total_pay (p_empno in emp.empno%type) return number is
    v_pay number;
  begin
    select sal + nvl(comm, 0) into v_pay from emp where empno = p_empno;
    return v_pay;
  end total_pay;

  procedure raise_salary (p_empno in emp.empno%type, p_amount in number) is
  begin
    update emp set sal = sal + p_amount where empno = p_empno;
  end raise_salary;
end pay_pkg;');

INSERT INTO DEMO_OBJECTS (OWNER, OBJECT_NAME, OBJECT_TYPE) VALUES
    ('SCOTT', 'PK_DEPT', 'INDEX'),
    ('SCOTT', 'PK_EMP',  'INDEX');

-- ---------------------------------------------------------------------------
-- O'NEIL: a user whose name must be quoted in every statement
-- ---------------------------------------------------------------------------

INSERT INTO DEMO_COLUMNS (OWNER, TABLE_NAME, COLUMN_NAME, TYPE_SPEC, NULLABLE) VALUES
    ('O''NEIL', 'NOTES', 'NOTE_ID',   'NUMBER',         'N'),
    ('O''NEIL', 'NOTES', 'NOTE_TEXT', 'VARCHAR2(4000)', 'Y'),
    ('O''NEIL', 'NOTES', 'CREATED',   'DATE',           'N'),
    ('O''NEIL', 'RECENT_NOTES_V', 'NOTE_ID',   'NUMBER',         'N'),
    ('O''NEIL', 'RECENT_NOTES_V', 'NOTE_TEXT', 'VARCHAR2(4000)', 'Y');

INSERT INTO DBA_TAB_COMMENTS (OWNER, TABLE_NAME, TABLE_TYPE, COMMENTS) VALUES
    ('O''NEIL', 'NOTES', 'TABLE', 'Personal notes of Mr O''Neil; one row per note.');

INSERT INTO DBA_VIEWS (OWNER, VIEW_NAME, TEXT, EDITIONING_VIEW, READ_ONLY) VALUES
    ('O''NEIL', 'RECENT_NOTES_V',
'SELECT note_id, note_text
  FROM notes
 WHERE created > SYSDATE - 30',
     'N', 'N');

-- ---------------------------------------------------------------------------
-- Everything below is derived from the rows above.
-- ---------------------------------------------------------------------------

-- A trigger's stored source is "trigger", its description and its body.
INSERT INTO DEMO_SOURCE (OWNER, NAME, TYPE, TEXT)
SELECT OWNER, TRIGGER_NAME, 'TRIGGER', 'trigger ' || DESCRIPTION || TRIGGER_BODY
  FROM DBA_TRIGGERS;

-- Source lines: each line keeps its line feed, the last line of a unit has none.
WITH RECURSIVE SPLIT (OWNER, NAME, TYPE, LINE, TEXT, REST) AS (
    SELECT OWNER, NAME, TYPE, 0, NULL, rtrim(TEXT, char(10)) || char(10)
      FROM DEMO_SOURCE
    UNION ALL
    SELECT OWNER, NAME, TYPE, LINE + 1,
           substr(REST, 1, instr(REST, char(10))),
           substr(REST, instr(REST, char(10)) + 1)
      FROM SPLIT
     WHERE REST <> ''
)
INSERT INTO DBA_SOURCE (OWNER, NAME, TYPE, LINE, TEXT)
SELECT OWNER, NAME, TYPE, LINE, TEXT
  FROM SPLIT
 WHERE LINE > 0;

UPDATE DBA_SOURCE SET TEXT = rtrim(TEXT, char(10))
 WHERE LINE = (SELECT max(S.LINE) FROM DBA_SOURCE S
                WHERE S.OWNER = DBA_SOURCE.OWNER AND S.NAME = DBA_SOURCE.NAME
                  AND S.TYPE = DBA_SOURCE.TYPE);

-- Column details from the type as written: VARCHAR2(40), NUMBER(8,2), DATE ...
WITH SPEC AS (
    SELECT rowid AS SEQ, OWNER, TABLE_NAME, COLUMN_NAME, NULLABLE, DATA_DEFAULT,
           TYPE_SPEC,
           CASE WHEN instr(TYPE_SPEC, '(') > 0
                THEN substr(TYPE_SPEC, 1, instr(TYPE_SPEC, '(') - 1)
                ELSE TYPE_SPEC END AS BASE,
           CASE WHEN instr(TYPE_SPEC, '(') > 0
                THEN substr(TYPE_SPEC, instr(TYPE_SPEC, '(') + 1,
                            length(TYPE_SPEC) - instr(TYPE_SPEC, '(') - 1) END AS ARGS
      FROM DEMO_COLUMNS
),
PARTS AS (
    SELECT SPEC.*,
           CASE WHEN instr(ARGS, ',') > 0
                THEN CAST(substr(ARGS, 1, instr(ARGS, ',') - 1) AS INTEGER)
                ELSE CAST(ARGS AS INTEGER) END AS ARG1,
           CASE WHEN instr(ARGS, ',') > 0
                THEN CAST(substr(ARGS, instr(ARGS, ',') + 1) AS INTEGER) END AS ARG2,
           BASE IN ('VARCHAR2', 'CHAR', 'CLOB', 'LONG') AS IS_CHAR
      FROM SPEC
)
INSERT INTO DBA_TAB_COLUMNS (OWNER, TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_LENGTH,
                             DATA_PRECISION, DATA_SCALE, NULLABLE, COLUMN_ID,
                             DEFAULT_LENGTH, DATA_DEFAULT, CHARACTER_SET_NAME,
                             CHAR_LENGTH, CHAR_USED)
SELECT OWNER, TABLE_NAME, COLUMN_NAME,
       CASE WHEN BASE = 'TIMESTAMP' THEN TYPE_SPEC ELSE BASE END,
       CASE BASE WHEN 'VARCHAR2' THEN ARG1 WHEN 'CHAR' THEN ARG1 WHEN 'NUMBER' THEN 22
                 WHEN 'DATE' THEN 7 WHEN 'TIMESTAMP' THEN 11 WHEN 'CLOB' THEN 4000
                 ELSE 0 END,
       CASE WHEN BASE = 'NUMBER' THEN ARG1 END,
       CASE WHEN BASE = 'NUMBER' AND ARG1 IS NOT NULL THEN coalesce(ARG2, 0)
            WHEN BASE = 'TIMESTAMP' THEN ARG1 END,
       NULLABLE,
       row_number() OVER (PARTITION BY OWNER, TABLE_NAME ORDER BY SEQ),
       length(DATA_DEFAULT),
       DATA_DEFAULT,
       CASE WHEN IS_CHAR THEN 'CHAR_CS' END,
       CASE WHEN BASE IN ('VARCHAR2', 'CHAR') THEN ARG1 ELSE 0 END,
       CASE WHEN BASE IN ('VARCHAR2', 'CHAR') THEN 'B' END
  FROM PARTS;

UPDATE DBA_VIEWS SET TEXT_LENGTH = length(CAST(TEXT AS BLOB));

-- Every object with its type: tables are what has columns but is no view.
CREATE TEMP TABLE DEMO_ALL_OBJECTS AS
SELECT DISTINCT C.OWNER, C.TABLE_NAME AS OBJECT_NAME, 'TABLE' AS OBJECT_TYPE, 'N' AS GENERATED
  FROM DEMO_COLUMNS C
 WHERE NOT EXISTS (SELECT 1 FROM DBA_VIEWS V
                    WHERE V.OWNER = C.OWNER AND V.VIEW_NAME = C.TABLE_NAME)
UNION
SELECT OWNER, VIEW_NAME, 'VIEW', 'N' FROM DBA_VIEWS
UNION
SELECT DISTINCT OWNER, NAME, TYPE, 'N' FROM DEMO_SOURCE
UNION
SELECT OWNER, OBJECT_NAME, OBJECT_TYPE, GENERATED FROM DEMO_OBJECTS;

-- Object ids in creation order: Oracle's own accounts first, then the users
-- in the order they were created, each one's objects by kind and name. Each
-- object was created a few minutes after the one before.
INSERT INTO DBA_OBJECTS (OWNER, OBJECT_NAME, SUBOBJECT_NAME, OBJECT_ID, DATA_OBJECT_ID,
                         OBJECT_TYPE, CREATED, LAST_DDL_TIME, TIMESTAMP, STATUS,
                         TEMPORARY, GENERATED, SECONDARY)
SELECT OWNER, OBJECT_NAME, NULL, OBJECT_ID,
       CASE WHEN OBJECT_TYPE IN ('TABLE', 'INDEX') THEN OBJECT_ID END,
       OBJECT_TYPE, CREATED, CREATED, replace(CREATED, ' ', ':'), 'VALID',
       'N', GENERATED, 'N'
  FROM (SELECT O.OWNER, O.OBJECT_NAME, O.OBJECT_TYPE, O.GENERATED,
               CASE WHEN U.ORACLE_MAINTAINED = 'Y' THEN 0 ELSE 73000 END
                 + row_number() OVER (ORDER BY U.CREATED, U.USER_ID, K.RANK, O.OBJECT_NAME)
                 AS OBJECT_ID,
               datetime(U.CREATED, '+' || (7 * row_number() OVER (PARTITION BY O.OWNER
                                     ORDER BY K.RANK, O.OBJECT_NAME)) || ' minutes')
                 AS CREATED
          FROM DEMO_ALL_OBJECTS O
          JOIN DBA_USERS U ON U.USERNAME = O.OWNER
          JOIN (SELECT 'TABLE' AS OBJECT_TYPE, 1 AS RANK UNION ALL
                SELECT 'INDEX', 2 UNION ALL
                SELECT 'SEQUENCE', 3 UNION ALL
                SELECT 'VIEW', 4 UNION ALL
                SELECT 'SYNONYM', 5 UNION ALL
                SELECT 'FUNCTION', 6 UNION ALL
                SELECT 'PROCEDURE', 7 UNION ALL
                SELECT 'PACKAGE', 8 UNION ALL
                SELECT 'PACKAGE BODY', 9 UNION ALL
                SELECT 'TRIGGER', 10) K ON K.OBJECT_TYPE = O.OBJECT_TYPE);

-- The package bodies were recompiled after the last change of their tables.
UPDATE DBA_OBJECTS
   SET LAST_DDL_TIME = datetime(LAST_DDL_TIME, '+40 days', '+3 hours'),
       TIMESTAMP = replace(datetime(LAST_DDL_TIME, '+40 days', '+3 hours'), ' ', ':')
 WHERE OBJECT_TYPE = 'PACKAGE BODY' AND OWNER IN ('HR', 'SALES');

-- Oracle keeps a comment row for every table, view and column, commented or not.
INSERT INTO DBA_TAB_COMMENTS (OWNER, TABLE_NAME, TABLE_TYPE, COMMENTS)
SELECT O.OWNER, O.OBJECT_NAME, O.OBJECT_TYPE, NULL
  FROM DBA_OBJECTS O
 WHERE O.OBJECT_TYPE IN ('TABLE', 'VIEW')
   AND NOT EXISTS (SELECT 1 FROM DBA_TAB_COMMENTS T
                    WHERE T.OWNER = O.OWNER AND T.TABLE_NAME = O.OBJECT_NAME);

INSERT INTO DBA_COL_COMMENTS (OWNER, TABLE_NAME, COLUMN_NAME, COMMENTS)
SELECT C.OWNER, C.TABLE_NAME, C.COLUMN_NAME, NULL
  FROM DBA_TAB_COLUMNS C
 WHERE NOT EXISTS (SELECT 1 FROM DBA_COL_COMMENTS K
                    WHERE K.OWNER = C.OWNER AND K.TABLE_NAME = C.TABLE_NAME
                      AND K.COLUMN_NAME = C.COLUMN_NAME);
