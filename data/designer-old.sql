-- A Designer repository of the older kind: rm$repositories has no
-- repository version, so application systems are listed as name.version.
-- ORDERS comes in two versions, and ORDERS.EU (a name with a point) is
-- listed as ORDERS.EU.3.
--
-- Build it with: make_catalogue designer-old.sql designer-old.qmcat

.read designer-schema.sql

CREATE TABLE RM$REPOSITORIES (
    ID             NUMBER(38) NOT NULL,
    SCHEMA_VERSION VARCHAR2(20)
);
INSERT INTO RM$REPOSITORIES VALUES (1, '5.0.22');

INSERT INTO CI_APPLICATION_SYSTEMS VALUES
    (11, 'ORDERS',    1, 'Order Entry',          'First release.',         'DESIGNER_OWNER', 'Y', 'MMUELLER', '1998-03-02'),
    (12, 'ORDERS',    2, 'Order Entry',          'With invoices.',         'DESIGNER_OWNER', 'N', 'MMUELLER', '1999-11-20'),
    (13, 'ORDERS.EU', 3, 'Order Entry (Europe)', 'The European branches.', 'DESIGNER_OWNER', 'N', 'MMUELLER', '2000-06-05'),
    (14, 'STOCK',     1, 'Stock Keeping',        'Warehouses and stock.',  'DESIGNER_OWNER', 'N', 'JSMITH',   '1998-08-14');

INSERT INTO CI_ENTITIES (ID, NAME, APPLICATION_SYSTEM_OWNED_BY, SHORT_NAME, PLURAL, REMARK, CREATED_BY,
                         DATE_CREATED, OWNING_USER) VALUES
    (101, 'CUSTOMER',  11, 'CUST', 'CUSTOMERS',  'Who orders.',                        'MMUELLER', '1998-03-02', 'SALES_OWNER'),
    (102, 'CUSTOMER',  12, 'CUST', 'CUSTOMERS',  'Who orders and is invoiced.',        'MMUELLER', '1999-11-20', 'SALES_OWNER'),
    (103, 'INVOICE',   12, 'INV',  'INVOICES',   'A bill for delivered orders.',       'MMUELLER', '1999-11-20', 'SALES_OWNER'),
    (104, 'CUSTOMER',  13, 'CUST', 'CUSTOMERS',  'Who orders, in euro.',               'MMUELLER', '2000-06-05', 'SALES_OWNER'),
    (105, 'WAREHOUSE', 14, 'WH',   'WAREHOUSES', 'Where stock is kept, e.g. Straße 1.', 'JSMITH',  '1998-08-14', 'STOCK_OWNER');

INSERT INTO CI_ATTRIBUTES (ID, NAME, APPLICATION_SYSTEM_OWNED_BY, ENTITY_REFERENCE, FORMAT, REMARK, CREATED_BY,
                           DATE_CREATED, OWNING_USER) VALUES
    (201, 'CUSTOMER_NAME', 13, 104, 'VARCHAR2', 'The customer''s name.', 'MMUELLER', '2000-06-05', 'SALES_OWNER'),
    (202, 'INVOICE_DATE',  12, 103, 'DATE',     'Day of the invoice.',   'MMUELLER', '1999-11-20', 'SALES_OWNER');

.read designer-columns.sql
