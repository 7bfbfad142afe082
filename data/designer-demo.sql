-- The Designer demo repository: the repository owner's schema of a small
-- Designer installation, for trying the program out and for the tests.
--
-- Application systems: HR in two versions (the list shows "HR (1)" and
-- "HR (2)", and a search covers the version chosen), ORDERS,
-- ORDERS.EU (a name with a point) and LIBRARY. Each owns a few entities
-- with their attributes, modules, table definitions with their columns,
-- and domains.
--
-- Deliberately awkward content, each kept on purpose:
--   * the tables listed at the top of designer-schema.sql (CIXYZ,
--     CI_APP_SYS_SHARES, CI_TEXT_LINES, CI_APPLICATION_SYSTEMS) and the
--     NUMBER, DATE and short VARCHAR2 columns;
--   * apostrophes in values (O'Neil, customer's);
--   * non-ASCII letters in values and one element name (Café, CAFÉ,
--     Österreich, €, Ó Briain, GRÖSSE);
--   * personal data marked in USER_DEFINED_PROPERTY_3, and creators,
--     changers and owners that only the Include boxes reach.
--
-- Build it with: make_catalogue designer-demo.sql designer-demo.qmcat
-- (the sqlite3 shell also reads it, run in this directory).

.read designer-schema.sql

-- Both probes answer: application systems are listed by plain name.
CREATE TABLE RM$REPOSITORIES (
    ID                 NUMBER(38) NOT NULL,
    REPOSITORY_NAME    VARCHAR2(30),
    SCHEMA_VERSION     VARCHAR2(20),
    REPOSITORY_VERSION VARCHAR2(20)
);
INSERT INTO RM$REPOSITORIES VALUES (1, 'DEMO_REPOS', '6.5.52.1.0', '6.5.52');

INSERT INTO CI_APPLICATION_SYSTEMS VALUES
    (1001, 'HR',        1, 'Human Resources',      'Staff, departments and jobs of the company.',
     'DESIGNER_OWNER', 'Y', 'JSMITH',   '2019-05-02'),
    (1002, 'HR',        2, 'Human Resources',      'Second version, with the job history.',
     'DESIGNER_OWNER', 'N', 'JSMITH',   '2021-02-11'),
    (1003, 'ORDERS',    1, 'Order Entry',          'Customers, orders and products.',
     'DESIGNER_OWNER', 'N', 'MMUELLER', '2019-06-17'),
    (1004, 'ORDERS.EU', 3, 'Order Entry (Europe)', 'Orders of the European branches: VAT, currencies, café deliveries.',
     'DESIGNER_OWNER', 'N', 'MMUELLER', '2022-09-30'),
    (1005, 'LIBRARY',   1, 'Library',              'Books, authors and loans.',
     'DESIGNER_OWNER', 'N', 'AKOWALSKA', '2020-01-08');

-- ---------------------------------------------------------------------------
-- Entities
-- (ID, NAME, APPLICATION_SYSTEM_OWNED_BY, SHORT_NAME, PLURAL, ALIAS, REMARK,
--  DATAWAREHOUSE_TYPE, INITIAL_VOLUME, MAXIMUM_VOLUME, USER_DEFINED_PROPERTY_0..3,
--  CREATED_BY, DATE_CREATED, CHANGED_BY, DATE_CHANGED, OWNING_USER)
-- ---------------------------------------------------------------------------

INSERT INTO CI_ENTITIES VALUES
    (2001, 'EMPLOYEE',    1001, 'EMP',   'EMPLOYEES',      'STAFF MEMBER',
     'A person employed by the company.', 'DM', 500, 2000,
     'Core', NULL, NULL, 'GDPR: personal data',
     'JSMITH', '2019-05-02', 'AKOWALSKA', '2020-03-14', 'HR_OWNER'),
    (2002, 'DEPARTMENT',  1001, 'DEPT',  'DEPARTMENTS',    NULL,
     'An organisational unit with one manager.', 'DM', 20, 100,
     'Core', NULL, NULL, NULL,
     'JSMITH', '2019-05-02', NULL, NULL, 'HR_OWNER'),
    (2003, 'JOB',         1001, 'JOB',   'JOBS',           NULL,
     'A position an employee may hold; pays a salary within a range.', NULL, 50, 200,
     NULL, NULL, NULL, NULL,
     'JSMITH', '2019-05-03', NULL, NULL, 'HR_OWNER'),
    (2011, 'EMPLOYEE',    1002, 'EMP',   'EMPLOYEES',      'STAFF MEMBER',
     'A person employed by the company, with their job history.', 'DM', 500, 2000,
     'Core', NULL, NULL, 'GDPR: personal data',
     'JSMITH', '2021-02-11', NULL, NULL, 'HR_OWNER'),
    (2012, 'JOB_HISTORY', 1002, 'JHIST', 'JOB HISTORIES',  NULL,
     'Jobs an employee held before the current one.', 'FT', 1000, 10000,
     NULL, NULL, NULL, NULL,
     'JSMITH', '2021-02-11', NULL, NULL, 'HR_OWNER'),
    (2021, 'CUSTOMER',    1003, 'CUST',  'CUSTOMERS',      'CLIENT',
     'A person or company that orders products; the customer''s address is kept apart.', 'DM', 1000, 50000,
     'Core', NULL, NULL, 'GDPR: personal data',
     'MMUELLER', '2019-06-17', 'JSMITH', '2021-11-02', 'SALES_OWNER'),
    (2022, 'ORDER',       1003, 'ORD',   'ORDERS',         NULL,
     'A customer''s request for products, with its lines.', 'FT', 5000, 500000,
     NULL, NULL, NULL, NULL,
     'MMUELLER', '2019-06-17', NULL, NULL, 'SALES_OWNER'),
    (2023, 'PRODUCT',     1003, 'PROD',  'PRODUCTS',       NULL,
     'Something the company sells.', 'DM', 300, 3000,
     NULL, NULL, NULL, NULL,
     'MMUELLER', '2019-06-18', NULL, NULL, 'SALES_OWNER'),
    (2031, 'CUSTOMER',    1004, 'CUST',  'CUSTOMERS',      'KUNDE',
     'Ein Kunde der europäischen Niederlassungen.', 'DM', 1000, 50000,
     'Core', NULL, NULL, 'GDPR: personal data',
     'MMUELLER', '2022-09-30', NULL, NULL, 'SALES_OWNER'),
    (2032, 'VAT_RATE',    1004, 'VAT',   'VAT RATES',      'MEHRWERTSTEUERSATZ',
     'Mehrwertsteuersatz je Land, z. B. 20 % für Österreich.', NULL, 30, 60,
     NULL, NULL, NULL, NULL,
     'MMUELLER', '2022-09-30', NULL, NULL, 'SALES_OWNER'),
    (2033, 'COFFEE_SHOP', 1004, 'CAFE',  'COFFEE SHOPS',   'CAFÉ',
     'Café or bar that resells our coffee; prices in €.', NULL, 100, 1000,
     NULL, NULL, NULL, NULL,
     'MMUELLER', '2022-10-04', NULL, NULL, 'SALES_OWNER'),
    (2041, 'BOOK',        1005, 'BOOK',  'BOOKS',          NULL,
     'A title the library holds; one book may have several copies.', 'DM', 20000, 200000,
     NULL, NULL, NULL, NULL,
     'AKOWALSKA', '2020-01-08', NULL, NULL, 'LIB_OWNER'),
    (2042, 'AUTHOR',      1005, 'AUTH',  'AUTHORS',        NULL,
     'Writer of a book, such as O''Neil or Ó Briain.', 'DM', 5000, 50000,
     NULL, NULL, NULL, 'GDPR: personal data',
     'AKOWALSKA', '2020-01-08', NULL, NULL, 'LIB_OWNER'),
    (2043, 'LOAN',        1005, 'LOAN',  'LOANS',          NULL,
     'A copy of a book lent to a borrower until a due date.', 'FT', 1000, 100000,
     NULL, NULL, NULL, NULL,
     'AKOWALSKA', '2020-01-09', NULL, NULL, 'LIB_OWNER');

-- ---------------------------------------------------------------------------
-- Attributes
-- (ID, NAME, APPLICATION_SYSTEM_OWNED_BY, ENTITY_REFERENCE, FORMAT, MAXIMUM_LENGTH,
--  OPTIONAL_FLAG, DEFAULT_VALUE, REMARK, COMMENT_TEXT, USER_DEFINED_PROPERTY_0..1,
--  CREATED_BY, DATE_CREATED, CHANGED_BY, DATE_CHANGED, OWNING_USER)
-- ---------------------------------------------------------------------------

INSERT INTO CI_ATTRIBUTES VALUES
    (3001, 'LAST_NAME',   1001, 2001, 'VARCHAR2', 40, 'N', NULL,
     'Family name of the employee.', NULL, NULL, NULL,
     'JSMITH', '2019-05-02', NULL, NULL, 'HR_OWNER'),
    (3002, 'HIRE_DATE',   1001, 2001, 'DATE',     NULL, 'N', 'SYSDATE',
     'Day the employee joined.', NULL, NULL, NULL,
     'JSMITH', '2019-05-02', NULL, NULL, 'HR_OWNER'),
    (3003, 'SALARY',      1001, 2001, 'MONEY',    12, 'Y', NULL,
     'Monthly gross salary in €.', 'Paid on the last working day of the month.', 'Confidential', NULL,
     'JSMITH', '2019-05-02', 'AKOWALSKA', '2020-03-14', 'HR_OWNER'),
    (3004, 'NAME',        1001, 2002, 'VARCHAR2', 30, 'N', NULL,
     'Name of the department.', NULL, NULL, NULL,
     'JSMITH', '2019-05-02', NULL, NULL, 'HR_OWNER'),
    (3005, 'MIN_SALARY',  1001, 2003, 'MONEY',    12, 'Y', NULL,
     'Lowest salary of the job.', NULL, NULL, NULL,
     'JSMITH', '2019-05-03', NULL, NULL, 'HR_OWNER'),
    (3011, 'LAST_NAME',   1002, 2011, 'VARCHAR2', 40, 'N', NULL,
     'Family name of the employee.', NULL, NULL, NULL,
     'JSMITH', '2021-02-11', NULL, NULL, 'HR_OWNER'),
    (3012, 'START_DATE',  1002, 2012, 'DATE',     NULL, 'N', NULL,
     'First day in the job.', NULL, NULL, NULL,
     'JSMITH', '2021-02-11', NULL, NULL, 'HR_OWNER'),
    (3021, 'CUSTOMER_NAME', 1003, 2021, 'VARCHAR2', 60, 'N', NULL,
     'The customer''s name as it appears on invoices.', NULL, NULL, NULL,
     'MMUELLER', '2019-06-17', NULL, NULL, 'SALES_OWNER'),
    (3022, 'ORDER_DATE',  1003, 2022, 'DATE',     NULL, 'N', 'SYSDATE',
     'Day the order was placed.', NULL, NULL, NULL,
     'MMUELLER', '2019-06-17', NULL, NULL, 'SALES_OWNER'),
    (3023, 'LIST_PRICE',  1003, 2023, 'MONEY',    12, 'Y', '0',
     'Price before any discount.', NULL, NULL, NULL,
     'MMUELLER', '2019-06-18', NULL, NULL, 'SALES_OWNER'),
    (3031, 'COUNTRY',     1004, 2032, 'CHAR',     2, 'N', 'AT',
     'Land, für das der Satz gilt.', NULL, NULL, NULL,
     'MMUELLER', '2022-09-30', NULL, NULL, 'SALES_OWNER'),
    (3032, 'GRÖSSE',      1004, 2033, 'NUMBER',   6, 'Y', NULL,
     'Seating of the café.', NULL, NULL, NULL,
     'MMUELLER', '2022-10-04', NULL, NULL, 'SALES_OWNER'),
    (3041, 'TITLE',       1005, 2041, 'VARCHAR2', 200, 'N', NULL,
     'Title as printed on the book.', NULL, NULL, NULL,
     'AKOWALSKA', '2020-01-08', NULL, NULL, 'LIB_OWNER'),
    (3042, 'DUE_DATE',    1005, 2043, 'DATE',     NULL, 'N', NULL,
     'Day the copy must be back.', NULL, NULL, NULL,
     'AKOWALSKA', '2020-01-09', NULL, NULL, 'LIB_OWNER');

-- ---------------------------------------------------------------------------
-- Modules
-- (ID, NAME, APPLICATION_SYSTEM_OWNED_BY, SHORT_TITLE, PURPOSE, MODULE_TYPE,
--  LANGUAGE, IMPLEMENTATION_NAME, TOP_TITLE, REMARK, COMPLEXITY,
--  USER_DEFINED_PROPERTY_0..2, CREATED_BY, DATE_CREATED, CHANGED_BY,
--  DATE_CHANGED, OWNING_USER)
-- ---------------------------------------------------------------------------

INSERT INTO CI_MODULES VALUES
    (4001, 'HRM0010', 1001, 'Employees',   'Enter and change employees and their departments.', 'SCREEN',
     'Oracle Forms', 'HRM0010', 'Maintain Employees', NULL, 'M',
     'Phase 1', NULL, NULL, 'JSMITH', '2019-05-10', NULL, NULL, 'HR_OWNER'),
    (4002, 'HRR0100', 1001, 'Salary list', 'Salaries per department, for the board.', 'REPORT',
     'Oracle Reports', 'HRR0100', 'Salaries by Department', 'Confidential output.', 'L',
     'Phase 2', NULL, NULL, 'JSMITH', '2019-05-12', NULL, NULL, 'HR_OWNER'),
    (4011, 'HRM0010', 1002, 'Employees',   'Enter and change employees, their departments and job history.', 'SCREEN',
     'Oracle Forms', 'HRM0010', 'Maintain Employees', NULL, 'H',
     'Phase 3', NULL, NULL, 'JSMITH', '2021-02-12', NULL, NULL, 'HR_OWNER'),
    (4021, 'ORD0010', 1003, 'Order entry', 'Take a customer''s order over the phone.', 'SCREEN',
     'Oracle Forms', 'ORD0010', 'Enter Orders', NULL, 'H',
     NULL, NULL, NULL, 'MMUELLER', '2019-06-20', NULL, NULL, 'SALES_OWNER'),
    (4031, 'ORD0010', 1004, 'Bestellung',  'Bestellungen erfassen, auch für Cafés.', 'SCREEN',
     'Oracle Forms', 'ORD0010EU', 'Bestellungen', NULL, 'H',
     NULL, NULL, NULL, 'MMUELLER', '2022-10-01', NULL, NULL, 'SALES_OWNER'),
    (4041, 'LIB0020', 1005, 'Loans',       'Lend and return copies; warns when a loan is overdue.', 'SCREEN',
     'Oracle Forms', 'LIB0020', 'Loans', NULL, 'M',
     NULL, NULL, NULL, 'AKOWALSKA', '2020-01-20', NULL, NULL, 'LIB_OWNER');

-- ---------------------------------------------------------------------------
-- Table definitions
-- (ID, NAME, APPLICATION_SYSTEM_OWNED_BY, ALIAS, DISPLAY_TITLE, TABLESPACE_NAME,
--  JOURNAL_TYPE, START_ROWS, REMARK, USER_DEFINED_PROPERTY_0, CREATED_BY,
--  DATE_CREATED, CHANGED_BY, DATE_CHANGED, OWNING_USER)
-- ---------------------------------------------------------------------------

INSERT INTO CI_TABLE_DEFINITIONS VALUES
    (5001, 'EMPLOYEES',   1001, 'EMP',  'Employees',   'HR_DATA',    'NO', 500,
     'One row per employee.', NULL, 'JSMITH', '2019-05-04', NULL, NULL, 'HR_OWNER'),
    (5002, 'DEPARTMENTS', 1001, 'DEPT', 'Departments', 'HR_DATA',    'NO', 20,
     NULL, NULL, 'JSMITH', '2019-05-04', NULL, NULL, 'HR_OWNER'),
    (5011, 'EMPLOYEES',   1002, 'EMP',  'Employees',   'HR_DATA',    'AT', 500,
     'One row per employee; journalled.', NULL, 'JSMITH', '2021-02-11', NULL, NULL, 'HR_OWNER'),
    (5021, 'CUSTOMERS',   1003, 'CUST', 'Customers',   'SALES_DATA', 'NO', 1000,
     'Customers of all branches.', 'Partitioned by region', 'MMUELLER', '2019-06-19', NULL, NULL, 'SALES_OWNER'),
    (5031, 'VAT_RATES',   1004, 'VAT',  'MwSt-Sätze',  'SALES_DATA', 'NO', 30,
     NULL, NULL, 'MMUELLER', '2022-09-30', NULL, NULL, 'SALES_OWNER'),
    (5041, 'BOOKS',       1005, 'BOOK', 'Books',       'LIB_DATA',   'NO', 20000,
     'Titles, not copies.', NULL, 'AKOWALSKA', '2020-01-10', NULL, NULL, 'LIB_OWNER');

-- ---------------------------------------------------------------------------
-- Columns
-- (ID, NAME, APPLICATION_SYSTEM_OWNED_BY, TABLE_REFERENCE, DATATYPE, MAXIMUM_LENGTH,
--  NULL_INDICATOR, DEFAULT_VALUE_STRING, PROMPT, HINT_TEXT, REMARK,
--  USER_DEFINED_PROPERTY_0..1, CREATED_BY, DATE_CREATED, CHANGED_BY,
--  DATE_CHANGED, OWNING_USER)
-- ---------------------------------------------------------------------------

INSERT INTO CI_COLUMNS VALUES
    (6001, 'EMPLOYEE_ID', 1001, 5001, 'NUMBER',   6,   'N', NULL,
     'Employee', 'Number of the employee, given by the system.', NULL, NULL, NULL,
     'JSMITH', '2019-05-04', NULL, NULL, 'HR_OWNER'),
    (6002, 'SALARY',      1001, 5001, 'NUMBER',   12,  'Y', NULL,
     'Salary', 'Monthly gross salary.', NULL, 'Confidential', NULL,
     'JSMITH', '2019-05-04', NULL, NULL, 'HR_OWNER'),
    (6003, 'DEPARTMENT_NAME', 1001, 5002, 'VARCHAR2', 30, 'N', NULL,
     'Department', 'Name of the department.', NULL, NULL, NULL,
     'JSMITH', '2019-05-04', NULL, NULL, 'HR_OWNER'),
    (6011, 'EMPLOYEE_ID', 1002, 5011, 'NUMBER',   6,   'N', NULL,
     'Employee', 'Number of the employee, given by the system.', NULL, NULL, NULL,
     'JSMITH', '2021-02-11', NULL, NULL, 'HR_OWNER'),
    (6021, 'CUSTOMER_NAME', 1003, 5021, 'VARCHAR2', 60, 'N', NULL,
     'Customer', 'The customer''s name as it appears on invoices.', NULL, NULL, NULL,
     'MMUELLER', '2019-06-19', NULL, NULL, 'SALES_OWNER'),
    (6031, 'COUNTRY',     1004, 5031, 'CHAR',     2,   'N', 'AT',
     'Land', 'Land, z. B. AT für Österreich.', NULL, NULL, NULL,
     'MMUELLER', '2022-09-30', NULL, NULL, 'SALES_OWNER'),
    (6041, 'TITLE',       1005, 5041, 'VARCHAR2', 200, 'N', NULL,
     'Title', 'Title as printed, e.g. Long Day''s Journey into Night.', NULL, NULL, NULL,
     'AKOWALSKA', '2020-01-10', NULL, NULL, 'LIB_OWNER');

-- ---------------------------------------------------------------------------
-- Domains
-- (ID, NAME, APPLICATION_SYSTEM_OWNED_BY, DATATYPE, FORMAT, DEFAULT_VALUE,
--  ALLOWABLE_VALUES, REMARK, USER_DEFINED_PROPERTY_0, CREATED_BY, DATE_CREATED,
--  CHANGED_BY, DATE_CHANGED, OWNING_USER)
-- ---------------------------------------------------------------------------

INSERT INTO CI_DOMAINS VALUES
    (7001, 'YES_NO',       1001, 'VARCHAR2', 'CHAR',  'N',   'Y, N',
     'Yes or no.', NULL, 'JSMITH', '2019-05-02', NULL, NULL, 'HR_OWNER'),
    (7002, 'MONEY',        1001, 'NUMBER',   'MONEY', NULL,  NULL,
     'Amounts in €, two decimals; used for every salary.', NULL, 'JSMITH', '2019-05-02', NULL, NULL, 'HR_OWNER'),
    (7021, 'MONEY',        1003, 'NUMBER',   'MONEY', NULL,  NULL,
     'Amounts in the customer''s currency.', NULL, 'MMUELLER', '2019-06-17', NULL, NULL, 'SALES_OWNER'),
    (7031, 'COUNTRY_CODE', 1004, 'VARCHAR2', 'CHAR',  'AT',  'AT, DE, CH, IT',
     'ISO-Ländercode (Österreich, Deutschland, Schweiz, Italien).', NULL, 'MMUELLER', '2022-09-30', NULL, NULL,
     'SALES_OWNER'),
    (7041, 'GENRE',        1005, 'VARCHAR2', 'CHAR',  NULL,  'NOVEL, POETRY, DRAMA, ESSAY',
     'Genre of a book.', NULL, 'AKOWALSKA', '2020-01-08', NULL, NULL, 'LIB_OWNER');

-- ---------------------------------------------------------------------------
-- The tables a search must not reach
-- ---------------------------------------------------------------------------

INSERT INTO CI_TEXT_LINES VALUES
    (8001, 2001, 1, 'Every employee belongs to exactly one department.');

INSERT INTO CI_APP_SYS_SHARES VALUES
    (8101, 'EMPLOYEE', 1001, 'EMPLOYEE shared with HR version 2.');

INSERT INTO CIXYZ VALUES
    (8201, 'EMPLOYEE_SHADOW', 1001, 'A copy of the employee entity, not part of the repository.');

.read designer-columns.sql
