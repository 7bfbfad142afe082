-- The SQL Server demo catalogue: a small shop database as its catalogue
-- tables show it, for trying the program out and for the tests.
--
-- Owners: dbo (the shop: customers, products, orders), sales (its own
-- customers and invoices), and O'Neil (a user whose name needs quoting, with a
-- few notes of his own).
--
-- What is in it, each kept on purpose:
--   * tables, views, procedures, scalar, inline and multi-statement table
--     functions, triggers (one on a view), check and default constraints,
--     primary, foreign and unique keys, and indexes;
--   * statistics the server made itself (_WA_Sys_..., status bit 8388608) and
--     hypothetical indexes of the tuning advisor (_dta_..., bit 32), which a
--     search never lists;
--   * objects shipped with the server (negative status): sysdiagrams and its
--     procedure, INFORMATION_SCHEMA.TABLES, two system tables;
--   * dbo.usp_YearEndClosing, more than 12,000 characters in four syscomments
--     records, with a word in its last record only ("Jahresabschluss");
--   * most texts saved from a Windows client with CR LF line ends; the
--     legacy import procedure and O'Neil's objects with bare LF;
--   * non-ASCII names and texts: dbo.Währungen, dbo.vUmsatzÜbersicht,
--     the default (N'Österreich') of sales.Customers;
--   * objects found by name and by text, such as dbo.vCustomerOrders;
--   * the same names under two owners: the tables Customers, their triggers
--     trg_Customers_Audit, their defaults DF_Customers_Country and keys
--     PK_Customers, and the procedures usp_PlaceOrder;
--   * a table named "Sales.2024" (with a point), a trigger named
--     "trg: archive old sales" and a default named "DF_Notes: Created"
--     (with a colon and a blank), whose rows a search must not take apart.
--
-- Build it with: make_catalogue mssql-demo.sql mssql-demo.qmcat
-- (the sqlite3 shell also reads it, run in this directory).
--
-- How the script is laid out: the users; then the objects, their columns
-- and indexes into work tables, owner by owner; at the end the catalogue
-- rows are derived from the work tables: object ids, padded type codes,
-- parents, column types and lengths, defaults, and the definitions split
-- into syscomments records of 4,000 characters with the line ends they were
-- saved with.

.read mssql-catalogue.sql

INSERT INTO sysusers (uid, status, name, createdate, updatedate, gid, hasdbaccess, islogin, issqluser, issqlrole) VALUES
    (5, 0, 'sales',  '2024-02-05 08:55:12', '2024-02-05 08:55:12', 0, 1, 1, 1, 0),
    (6, 0, 'O''Neil', '2024-03-18 14:02:40', '2024-03-18 14:02:40', 0, 1, 1, 1, 0);

-- ---------------------------------------------------------------------------
-- Work tables

-- One row per object, in the order they were created. xtype is the server's
-- (PK and UQ included); parent names the table or view the object belongs to,
-- under the same owner. line_end says how the definition was saved.
CREATE TEMP TABLE demo_objects (
    seq        INTEGER PRIMARY KEY,
    id         INT,
    owner      TEXT NOT NULL,
    name       TEXT NOT NULL,
    xtype      TEXT NOT NULL,
    parent     TEXT,
    status     INT  NOT NULL DEFAULT 0,
    line_end   TEXT NOT NULL DEFAULT 'CRLF' CHECK (line_end IN ('CRLF', 'LF')),
    definition TEXT
);

-- Columns of tables and views in order, and parameters of procedures and
-- functions (is_parameter 1). type is written as in CREATE TABLE.
CREATE TEMP TABLE demo_columns (
    seq          INTEGER PRIMARY KEY,
    owner        TEXT NOT NULL,
    object       TEXT NOT NULL,
    name         TEXT NOT NULL,
    type         TEXT NOT NULL,
    nullable     INT  NOT NULL DEFAULT 1,
    default_name TEXT,
    is_parameter INT  NOT NULL DEFAULT 0
);

CREATE TEMP TABLE demo_indexes (
    owner  TEXT NOT NULL,
    tbl    TEXT NOT NULL,
    indid  INT  NOT NULL,
    name   TEXT,
    status INT  NOT NULL,
    keycnt INT  NOT NULL
);

-- ---------------------------------------------------------------------------
-- Shipped with the server

INSERT INTO demo_objects (id, owner, name, xtype, status) VALUES
    (5,  'sys', 'sysrowsets',    'S', -1073741823),
    (7,  'sys', 'sysallocunits', 'S', -1073741823);

INSERT INTO demo_objects (id, owner, name, xtype, status, definition) VALUES
    (-1093578890, 'INFORMATION_SCHEMA', 'TABLES', 'V', -1073741824,
'CREATE VIEW INFORMATION_SCHEMA.TABLES
AS
SELECT
	DB_NAME()			AS TABLE_CATALOG,
	s.name				AS TABLE_SCHEMA,
	o.name				AS TABLE_NAME,
	CASE o.type
		WHEN ''U'' THEN ''BASE TABLE''
		WHEN ''V'' THEN ''VIEW''
	END				AS TABLE_TYPE
FROM
	sys.objects o LEFT JOIN sys.schemas s
	ON s.schema_id = o.schema_id
WHERE
	o.type IN (''U'', ''V'')
');

INSERT INTO demo_columns (owner, object, name, type, nullable) VALUES
    ('INFORMATION_SCHEMA', 'TABLES', 'TABLE_CATALOG', 'nvarchar(128)', 1),
    ('INFORMATION_SCHEMA', 'TABLES', 'TABLE_SCHEMA',  'nvarchar(128)', 1),
    ('INFORMATION_SCHEMA', 'TABLES', 'TABLE_NAME',    'sysname', 0),
    ('INFORMATION_SCHEMA', 'TABLES', 'TABLE_TYPE',    'varchar(10)', 1);

-- The diagram support the management studio adds, marked as shipped.
INSERT INTO demo_objects (owner, name, xtype, parent, status, definition) VALUES
    ('dbo', 'sysdiagrams', 'U', NULL, -2147483646, NULL),
    ('dbo', 'PK__sysdiagr__C2B05B61E36D8D61', 'PK', 'sysdiagrams', -2147483646, NULL),
    ('dbo', 'UK_principal_name', 'UQ', 'sysdiagrams', -2147483646, NULL),
    ('dbo', 'sp_upgraddiagrams', 'P', NULL, -2147483646,
'	CREATE PROCEDURE dbo.sp_upgraddiagrams
	AS
	BEGIN
		IF OBJECT_ID(N''dbo.sysdiagrams'') IS NOT NULL
			return 0;

		CREATE TABLE dbo.sysdiagrams
		(
			name sysname NOT NULL,
			principal_id int NOT NULL,	-- we may change it to varbinary(85)
			diagram_id int PRIMARY KEY IDENTITY,
			version int,

			definition varbinary(max)
			CONSTRAINT UK_principal_name UNIQUE
			(
				principal_id,
				name
			)
		);
		return 1
	END
	');

INSERT INTO demo_columns (owner, object, name, type, nullable) VALUES
    ('dbo', 'sysdiagrams', 'name',         'sysname', 0),
    ('dbo', 'sysdiagrams', 'principal_id', 'int', 0),
    ('dbo', 'sysdiagrams', 'diagram_id',   'int', 0),
    ('dbo', 'sysdiagrams', 'version',      'int', 1),
    ('dbo', 'sysdiagrams', 'definition',   'varbinary(max)', 1);

INSERT INTO demo_indexes (owner, tbl, indid, name, status, keycnt) VALUES
    ('dbo', 'sysdiagrams', 1, 'PK__sysdiagr__C2B05B61E36D8D61', 2066, 1),
    ('dbo', 'sysdiagrams', 2, 'UK_principal_name', 4098, 2);

-- ---------------------------------------------------------------------------
-- dbo: the shop

INSERT INTO demo_objects (owner, name, xtype, parent, definition) VALUES
    ('dbo', 'Categories', 'U', NULL, NULL),
    ('dbo', 'PK_Categories', 'PK', 'Categories', NULL),
    ('dbo', 'Suppliers', 'U', NULL, NULL),
    ('dbo', 'PK_Suppliers', 'PK', 'Suppliers', NULL),
    ('dbo', 'Customers', 'U', NULL, NULL),
    ('dbo', 'PK_Customers', 'PK', 'Customers', NULL),
    ('dbo', 'UQ_Customers_Email', 'UQ', 'Customers', NULL),
    ('dbo', 'DF_Customers_Country', 'D', 'Customers', '(N''Deutschland'')'),
    ('dbo', 'Products', 'U', NULL, NULL),
    ('dbo', 'PK_Products', 'PK', 'Products', NULL),
    ('dbo', 'FK_Products_Categories', 'F', 'Products', NULL),
    ('dbo', 'FK_Products_Suppliers', 'F', 'Products', NULL),
    ('dbo', 'CK_Products_UnitPrice', 'C', 'Products', '([UnitPrice]>=(0))'),
    ('dbo', 'DF_Products_Discontinued', 'D', 'Products', '((0))'),
    ('dbo', 'Orders', 'U', NULL, NULL),
    ('dbo', 'PK_Orders', 'PK', 'Orders', NULL),
    ('dbo', 'FK_Orders_Customers', 'F', 'Orders', NULL),
    ('dbo', 'DF_Orders_OrderDate', 'D', 'Orders', '(getdate())'),
    ('dbo', 'DF_Orders_Status', 'D', 'Orders', '(N''new'')'),
    ('dbo', 'CK_Orders_Status', 'C', 'Orders',
        '([Status]=N''cancelled'' OR [Status]=N''closed'' OR [Status]=N''shipped'' OR [Status]=N''new'')'),
    ('dbo', 'OrderLines', 'U', NULL, NULL),
    ('dbo', 'PK_OrderLines', 'PK', 'OrderLines', NULL),
    ('dbo', 'FK_OrderLines_Orders', 'F', 'OrderLines', NULL),
    ('dbo', 'FK_OrderLines_Products', 'F', 'OrderLines', NULL),
    ('dbo', 'CK_OrderLines_Quantity', 'C', 'OrderLines', '([Quantity]>(0))'),
    ('dbo', 'Währungen', 'U', NULL, NULL),
    ('dbo', 'PK_Währungen', 'PK', 'Währungen', NULL),
    ('dbo', 'Sales.2024', 'U', NULL, NULL),
    ('dbo', 'DF_Sales.2024_Region', 'D', 'Sales.2024', '(N''Nord'')'),
    ('dbo', 'AuditLog', 'U', NULL, NULL),
    ('dbo', 'ClosingLog', 'U', NULL, NULL);

INSERT INTO demo_columns (owner, object, name, type, nullable, default_name) VALUES
    ('dbo', 'Categories', 'CategoryID',   'int', 0, NULL),
    ('dbo', 'Categories', 'CategoryName', 'nvarchar(40)', 0, NULL),
    ('dbo', 'Categories', 'Description',  'nvarchar(max)', 1, NULL),
    ('dbo', 'Suppliers', 'SupplierID',    'int', 0, NULL),
    ('dbo', 'Suppliers', 'CompanyName',   'nvarchar(80)', 0, NULL),
    ('dbo', 'Suppliers', 'ContactName',   'nvarchar(60)', 1, NULL),
    ('dbo', 'Suppliers', 'Country',       'nvarchar(40)', 1, NULL),
    ('dbo', 'Customers', 'CustomerID',    'int', 0, NULL),
    ('dbo', 'Customers', 'CompanyName',   'nvarchar(80)', 0, NULL),
    ('dbo', 'Customers', 'Email',         'nvarchar(254)', 1, NULL),
    ('dbo', 'Customers', 'City',          'nvarchar(40)', 1, NULL),
    ('dbo', 'Customers', 'Country',       'nvarchar(40)', 0, 'DF_Customers_Country'),
    ('dbo', 'Products', 'ProductID',      'int', 0, NULL),
    ('dbo', 'Products', 'ProductName',    'nvarchar(80)', 0, NULL),
    ('dbo', 'Products', 'CategoryID',     'int', 1, NULL),
    ('dbo', 'Products', 'SupplierID',     'int', 1, NULL),
    ('dbo', 'Products', 'UnitPrice',      'money', 0, NULL),
    ('dbo', 'Products', 'UnitsInStock',   'smallint', 1, NULL),
    ('dbo', 'Products', 'Discontinued',   'bit', 0, 'DF_Products_Discontinued'),
    ('dbo', 'Orders', 'OrderID',          'int', 0, NULL),
    ('dbo', 'Orders', 'CustomerID',       'int', 0, NULL),
    ('dbo', 'Orders', 'OrderDate',        'datetime', 0, 'DF_Orders_OrderDate'),
    ('dbo', 'Orders', 'ShippedDate',      'datetime', 1, NULL),
    ('dbo', 'Orders', 'Status',           'nvarchar(20)', 0, 'DF_Orders_Status'),
    ('dbo', 'Orders', 'Freight',          'decimal(10,2)', 1, NULL),
    ('dbo', 'OrderLines', 'OrderID',      'int', 0, NULL),
    ('dbo', 'OrderLines', 'LineNo',       'smallint', 0, NULL),
    ('dbo', 'OrderLines', 'ProductID',    'int', 0, NULL),
    ('dbo', 'OrderLines', 'Quantity',     'smallint', 0, NULL),
    ('dbo', 'OrderLines', 'UnitPrice',    'money', 0, NULL),
    ('dbo', 'OrderLines', 'Discount',     'real', 0, NULL),
    ('dbo', 'Währungen', 'Kürzel',        'nchar(3)', 0, NULL),
    ('dbo', 'Währungen', 'Bezeichnung',   'nvarchar(60)', 0, NULL),
    ('dbo', 'Währungen', 'Kurs',          'decimal(12,6)', 0, NULL),
    ('dbo', 'Währungen', 'Gültig ab',     'date', 0, NULL),
    ('dbo', 'Sales.2024', 'Region',       'nvarchar(20)', 0, 'DF_Sales.2024_Region'),
    ('dbo', 'Sales.2024', 'Month',        'tinyint', 0, NULL),
    ('dbo', 'Sales.2024', 'Revenue',      'money', 1, NULL),
    ('dbo', 'AuditLog', 'LoggedAt',       'datetime2', 0, NULL),
    ('dbo', 'AuditLog', 'TableName',      'sysname', 0, NULL),
    ('dbo', 'AuditLog', 'Action',         'char(1)', 0, NULL),
    ('dbo', 'AuditLog', 'KeyValue',       'nvarchar(100)', 1, NULL),
    ('dbo', 'AuditLog', 'LoggedBy',       'sysname', 0, NULL),
    ('dbo', 'ClosingLog', 'Year',         'smallint', 0, NULL),
    ('dbo', 'ClosingLog', 'Step',         'smallint', 0, NULL),
    ('dbo', 'ClosingLog', 'Done',         'datetime', 0, NULL);

INSERT INTO demo_indexes (owner, tbl, indid, name, status, keycnt) VALUES
    ('dbo', 'Categories', 1, 'PK_Categories', 2066, 1),
    ('dbo', 'Suppliers',  1, 'PK_Suppliers', 2066, 1),
    ('dbo', 'Customers',  1, 'PK_Customers', 2066, 1),
    ('dbo', 'Customers',  2, 'UQ_Customers_Email', 4098, 1),
    ('dbo', 'Customers',  3, 'IX_Customers_CompanyName', 0, 1),
    ('dbo', 'Customers',  4, '_WA_Sys_00000004_0425A276', 8388608, 1),
    ('dbo', 'Products',   1, 'PK_Products', 2066, 1),
    ('dbo', 'Products',   2, 'IX_Products_CategoryID', 0, 1),
    ('dbo', 'Products',   3, '_WA_Sys_00000005_07020F21', 8388672, 1),
    ('dbo', 'Orders',     1, 'PK_Orders', 2066, 1),
    ('dbo', 'Orders',     2, 'IX_Orders_CustomerID', 0, 1),
    ('dbo', 'Orders',     3, 'IX_Orders_OrderDate', 0, 1),
    ('dbo', 'Orders',     4, '_WA_Sys_00000005_0519C6AF', 8388608, 1),
    ('dbo', 'Orders',     5, '_dta_index_Orders_7_85575343__K2_K3', 32, 2),
    ('dbo', 'Orders',     6, '_dta_stat_85575343_3_2', 8388640, 2),
    ('dbo', 'OrderLines', 1, 'PK_OrderLines', 2066, 2),
    ('dbo', 'OrderLines', 2, 'IX_OrderLines_ProductID', 0, 1),
    ('dbo', 'Währungen',  1, 'PK_Währungen', 2066, 1),
    ('dbo', 'Sales.2024', 0, NULL, 0, 0),
    ('dbo', 'Sales.2024', 2, 'IX_Sales.2024_Region', 0, 2),
    ('dbo', 'AuditLog',   0, NULL, 0, 0),
    ('dbo', 'ClosingLog', 0, NULL, 0, 0);

INSERT INTO demo_objects (owner, name, xtype, parent, definition) VALUES
    ('dbo', 'trg_Customers_Audit', 'TR', 'Customers',
'CREATE TRIGGER dbo.trg_Customers_Audit ON dbo.Customers
AFTER INSERT, UPDATE, DELETE
AS
BEGIN
    SET NOCOUNT ON;
    -- dbo: every change of a shop customer is written to the audit log
    INSERT INTO dbo.AuditLog (LoggedAt, TableName, Action, KeyValue, LoggedBy)
    SELECT SYSDATETIME(), N''Customers'',
           CASE WHEN d.CustomerID IS NULL THEN ''I'' WHEN i.CustomerID IS NULL THEN ''D'' ELSE ''U'' END,
           CONVERT(nvarchar(100), COALESCE(i.CustomerID, d.CustomerID)), SUSER_SNAME()
      FROM inserted i
      FULL JOIN deleted d ON d.CustomerID = i.CustomerID;
END
'),
    ('dbo', 'trg_Orders_Status', 'TR', 'Orders',
'CREATE TRIGGER dbo.trg_Orders_Status ON dbo.Orders
AFTER UPDATE
AS
BEGIN
    SET NOCOUNT ON;
    IF UPDATE(Status)
        UPDATE o
           SET ShippedDate = GETDATE()
          FROM dbo.Orders o
          JOIN inserted i ON i.OrderID = o.OrderID
         WHERE i.Status = N''shipped'' AND o.ShippedDate IS NULL;
END
'),
    ('dbo', 'trg: archive old sales', 'TR', 'Sales.2024',
'CREATE TRIGGER [dbo].[trg: archive old sales] ON [dbo].[Sales.2024]
AFTER DELETE
AS
    -- keeps what was deleted from the yearly sales in the audit log
    INSERT INTO dbo.AuditLog (LoggedAt, TableName, Action, KeyValue, LoggedBy)
    SELECT SYSDATETIME(), N''Sales.2024'', ''D'', Region + N''/'' + CONVERT(nvarchar(2), Month), SUSER_SNAME()
      FROM deleted;
'),
    ('dbo', 'vCustomerOrders', 'V', NULL,
'CREATE VIEW dbo.vCustomerOrders
AS
-- one row per order with its customer; the shop''s order list reads it
SELECT c.CustomerID, c.CompanyName, c.Country,
       o.OrderID, o.OrderDate, o.Status,
       (SELECT SUM(l.Quantity * l.UnitPrice * (1 - l.Discount))
          FROM dbo.OrderLines l WHERE l.OrderID = o.OrderID) AS Total
  FROM dbo.Customers c
  JOIN dbo.Orders o ON o.CustomerID = c.CustomerID
'),
    ('dbo', 'trg_vCustomerOrders_Insert', 'TR', 'vCustomerOrders',
'CREATE TRIGGER dbo.trg_vCustomerOrders_Insert ON dbo.vCustomerOrders
INSTEAD OF INSERT
AS
BEGIN
    SET NOCOUNT ON;
    -- orders entered through the view get their customer''s number
    INSERT INTO dbo.Orders (CustomerID, OrderDate, Status)
    SELECT i.CustomerID, COALESCE(i.OrderDate, GETDATE()), COALESCE(i.Status, N''new'')
      FROM inserted i;
END
'),
    ('dbo', 'vProductStock', 'V', NULL,
'CREATE VIEW dbo.vProductStock
AS
SELECT p.ProductID, p.ProductName, c.CategoryName, s.CompanyName AS Supplier,
       p.UnitsInStock, p.UnitPrice * p.UnitsInStock AS StockValue
  FROM dbo.Products p
  LEFT JOIN dbo.Categories c ON c.CategoryID = p.CategoryID
  LEFT JOIN dbo.Suppliers s ON s.SupplierID = p.SupplierID
 WHERE p.Discontinued = 0
'),
    ('dbo', 'vUmsatzÜbersicht', 'V', NULL,
'CREATE VIEW dbo.vUmsatzÜbersicht
AS
-- Umsätze je Kunde und Monat in €, für die Geschäftsführung
SELECT c.CompanyName AS Kunde,
       YEAR(o.OrderDate) AS Jahr, MONTH(o.OrderDate) AS Monat,
       SUM(l.Quantity * l.UnitPrice) AS [Umsatz €]
  FROM dbo.Orders o
  JOIN dbo.OrderLines l ON l.OrderID = o.OrderID
  JOIN dbo.Customers c ON c.CustomerID = o.CustomerID
 WHERE o.Status <> N''cancelled''
 GROUP BY c.CompanyName, YEAR(o.OrderDate), MONTH(o.OrderDate)
'),
    ('dbo', 'fn_OrderTotal', 'FN', NULL,
'CREATE FUNCTION dbo.fn_OrderTotal (@OrderID int)
RETURNS money
AS
BEGIN
    DECLARE @Total money;
    SELECT @Total = SUM(Quantity * UnitPrice * (1 - Discount))
      FROM dbo.OrderLines
     WHERE OrderID = @OrderID;
    RETURN COALESCE(@Total, 0);
END
'),
    ('dbo', 'fn_CustomerOrders', 'IF', NULL,
'CREATE FUNCTION dbo.fn_CustomerOrders (@CustomerID int)
RETURNS TABLE
AS
RETURN
    SELECT OrderID, OrderDate, Status, dbo.fn_OrderTotal(OrderID) AS Total
      FROM dbo.Orders
     WHERE CustomerID = @CustomerID
'),
    ('dbo', 'fn_TopProducts', 'TF', NULL,
'CREATE FUNCTION dbo.fn_TopProducts (@Top int)
RETURNS @Result TABLE (ProductID int PRIMARY KEY, ProductName nvarchar(80), Sold int)
AS
BEGIN
    INSERT INTO @Result (ProductID, ProductName, Sold)
    SELECT TOP (@Top) p.ProductID, p.ProductName, SUM(l.Quantity)
      FROM dbo.Products p
      JOIN dbo.OrderLines l ON l.ProductID = p.ProductID
     GROUP BY p.ProductID, p.ProductName
     ORDER BY SUM(l.Quantity) DESC;
    RETURN;
END
'),
    ('dbo', 'usp_PlaceOrder', 'P', NULL,
'CREATE PROCEDURE dbo.usp_PlaceOrder
    @CustomerID int,
    @ProductID  int,
    @Quantity   smallint
AS
BEGIN
    SET NOCOUNT ON;
    -- dbo: an order of the web shop, one product per order
    DECLARE @OrderID int;
    BEGIN TRANSACTION;
    INSERT INTO dbo.Orders (CustomerID) VALUES (@CustomerID);
    SET @OrderID = SCOPE_IDENTITY();
    INSERT INTO dbo.OrderLines (OrderID, LineNo, ProductID, Quantity, UnitPrice, Discount)
    SELECT @OrderID, 1, ProductID, @Quantity, UnitPrice, 0
      FROM dbo.Products
     WHERE ProductID = @ProductID;
    UPDATE dbo.Products SET UnitsInStock = UnitsInStock - @Quantity WHERE ProductID = @ProductID;
    COMMIT TRANSACTION;
    SELECT @OrderID AS OrderID;
END
');

-- Written by the old import job on a Linux machine: bare LF line ends.
INSERT INTO demo_objects (owner, name, xtype, line_end, definition) VALUES
    ('dbo', 'usp_ImportLegacyOrders', 'P', 'LF',
'CREATE PROCEDURE dbo.usp_ImportLegacyOrders
AS
-- imports the orders of the legacy mail-order system (file legacy_orders.csv)
BEGIN
    SET NOCOUNT ON;
    INSERT INTO dbo.Orders (CustomerID, OrderDate, Status)
    SELECT CustomerID, OrderDate, N''closed''
      FROM dbo.LegacyOrdersStaging
     WHERE OrderDate < ''20100101'';
END
');

-- The year-end closing: one block per month and step, more than 12,000
-- characters, so the server keeps it in four records. Only its last lines
-- speak of the "Jahresabschluss".
INSERT INTO demo_objects (owner, name, xtype, definition)
WITH RECURSIVE step(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM step WHERE n < 48),
blocks(text) AS (
    SELECT '    -- step ' || n || ': orders of month ' || ((n - 1) % 12 + 1) || ', '
           || CASE (n - 1) / 12 WHEN 0 THEN 'shipped ones' WHEN 1 THEN 'cancelled ones' WHEN 2 THEN 'new ones'
                                 ELSE 'those put on hold' END || '
    UPDATE dbo.Orders
       SET Status = N''closed''
     WHERE YEAR(OrderDate) = @Year AND MONTH(OrderDate) = ' || ((n - 1) % 12 + 1) || '
       AND Status = N''' || CASE (n - 1) / 12 WHEN 0 THEN 'shipped' WHEN 1 THEN 'cancelled' WHEN 2 THEN 'new'
                                   ELSE 'on hold' END || ''';
    INSERT INTO dbo.ClosingLog (Year, Step, Done) VALUES (@Year, ' || n || ', GETDATE());
    IF @@ERROR <> 0 GOTO Failed;
'
      FROM step ORDER BY n
)
SELECT 'dbo', 'usp_YearEndClosing', 'P',
'CREATE PROCEDURE dbo.usp_YearEndClosing
    @Year smallint
AS
BEGIN
    SET NOCOUNT ON;
    BEGIN TRANSACTION;
' || (SELECT group_concat(text, '') FROM blocks) || '
    -- Jahresabschluss: the year is closed, Umsätze are final
    COMMIT TRANSACTION;
    RETURN 0;
Failed:
    ROLLBACK TRANSACTION;
    RETURN 1;
END
';

INSERT INTO demo_columns (owner, object, name, type, nullable, is_parameter) VALUES
    ('dbo', 'vCustomerOrders', 'CustomerID',  'int', 0, 0),
    ('dbo', 'vCustomerOrders', 'CompanyName', 'nvarchar(80)', 0, 0),
    ('dbo', 'vCustomerOrders', 'Country',     'nvarchar(40)', 0, 0),
    ('dbo', 'vCustomerOrders', 'OrderID',     'int', 0, 0),
    ('dbo', 'vCustomerOrders', 'OrderDate',   'datetime', 0, 0),
    ('dbo', 'vCustomerOrders', 'Status',      'nvarchar(20)', 0, 0),
    ('dbo', 'vCustomerOrders', 'Total',       'money', 1, 0),
    ('dbo', 'vProductStock', 'ProductID',     'int', 0, 0),
    ('dbo', 'vProductStock', 'ProductName',   'nvarchar(80)', 0, 0),
    ('dbo', 'vProductStock', 'CategoryName',  'nvarchar(40)', 1, 0),
    ('dbo', 'vProductStock', 'Supplier',      'nvarchar(80)', 1, 0),
    ('dbo', 'vProductStock', 'UnitsInStock',  'smallint', 1, 0),
    ('dbo', 'vProductStock', 'StockValue',    'money', 1, 0),
    ('dbo', 'vUmsatzÜbersicht', 'Kunde',      'nvarchar(80)', 0, 0),
    ('dbo', 'vUmsatzÜbersicht', 'Jahr',       'int', 1, 0),
    ('dbo', 'vUmsatzÜbersicht', 'Monat',      'int', 1, 0),
    ('dbo', 'vUmsatzÜbersicht', 'Umsatz €',   'money', 1, 0),
    ('dbo', 'fn_OrderTotal', '@OrderID',      'int', 1, 1),
    ('dbo', 'fn_CustomerOrders', 'OrderID',   'int', 0, 0),
    ('dbo', 'fn_CustomerOrders', 'OrderDate', 'datetime', 0, 0),
    ('dbo', 'fn_CustomerOrders', 'Status',    'nvarchar(20)', 0, 0),
    ('dbo', 'fn_CustomerOrders', 'Total',     'money', 1, 0),
    ('dbo', 'fn_CustomerOrders', '@CustomerID', 'int', 1, 1),
    ('dbo', 'fn_TopProducts', 'ProductID',    'int', 0, 0),
    ('dbo', 'fn_TopProducts', 'ProductName',  'nvarchar(80)', 1, 0),
    ('dbo', 'fn_TopProducts', 'Sold',         'int', 1, 0),
    ('dbo', 'fn_TopProducts', '@Top',         'int', 1, 1),
    ('dbo', 'usp_PlaceOrder', '@CustomerID',  'int', 1, 1),
    ('dbo', 'usp_PlaceOrder', '@ProductID',   'int', 1, 1),
    ('dbo', 'usp_PlaceOrder', '@Quantity',    'smallint', 1, 1),
    ('dbo', 'usp_YearEndClosing', '@Year',    'smallint', 1, 1);

-- ---------------------------------------------------------------------------
-- sales: the sales office's own customers and invoices

INSERT INTO demo_objects (owner, name, xtype, parent, definition) VALUES
    ('sales', 'Customers', 'U', NULL, NULL),
    ('sales', 'PK_Customers', 'PK', 'Customers', NULL),
    ('sales', 'DF_Customers_Country', 'D', 'Customers', '(N''Österreich'')'),
    ('sales', 'Invoices', 'U', NULL, NULL),
    ('sales', 'PK_Invoices', 'PK', 'Invoices', NULL),
    ('sales', 'FK_Invoices_Customers', 'F', 'Invoices', NULL),
    ('sales', 'CK_Invoices_Amount', 'C', 'Invoices', '([Amount]>(0) AND [Amount]<(1000000))'),
    ('sales', 'Targets', 'U', NULL, NULL),
    ('sales', 'trg_Customers_Audit', 'TR', 'Customers',
'CREATE TRIGGER sales.trg_Customers_Audit ON sales.Customers
AFTER UPDATE
AS
    -- sales: only changes of the region are of interest here
    IF UPDATE(Region)
        INSERT INTO dbo.AuditLog (LoggedAt, TableName, Action, KeyValue, LoggedBy)
        SELECT SYSDATETIME(), N''sales.Customers'', ''U'', CONVERT(nvarchar(100), CustomerID), SUSER_SNAME()
          FROM inserted;
'),
    ('sales', 'vOpenInvoices', 'V', NULL,
'CREATE VIEW sales.vOpenInvoices
AS
SELECT i.InvoiceID, c.Name AS Customer, i.Amount, i.DueDate,
       DATEDIFF(day, i.DueDate, GETDATE()) AS DaysOverdue
  FROM sales.Invoices i
  JOIN sales.Customers c ON c.CustomerID = i.CustomerID
 WHERE i.PaidOn IS NULL
'),
    ('sales', 'usp_PlaceOrder', 'P', NULL,
'CREATE PROCEDURE sales.usp_PlaceOrder
    @CustomerID int,
    @Amount     money
AS
    -- sales: an order taken by phone becomes an invoice at once
    INSERT INTO sales.Invoices (CustomerID, Amount, DueDate)
    VALUES (@CustomerID, @Amount, DATEADD(day, 30, GETDATE()));
');

INSERT INTO demo_columns (owner, object, name, type, nullable, default_name, is_parameter) VALUES
    ('sales', 'Customers', 'CustomerID',  'int', 0, NULL, 0),
    ('sales', 'Customers', 'Name',        'nvarchar(80)', 0, NULL, 0),
    ('sales', 'Customers', 'Region',      'nvarchar(20)', 1, NULL, 0),
    ('sales', 'Customers', 'Country',     'nvarchar(40)', 0, 'DF_Customers_Country', 0),
    ('sales', 'Invoices', 'InvoiceID',    'int', 0, NULL, 0),
    ('sales', 'Invoices', 'CustomerID',   'int', 0, NULL, 0),
    ('sales', 'Invoices', 'Amount',       'money', 0, NULL, 0),
    ('sales', 'Invoices', 'DueDate',      'date', 0, NULL, 0),
    ('sales', 'Invoices', 'PaidOn',       'date', 1, NULL, 0),
    ('sales', 'Targets', 'Region',        'nvarchar(20)', 0, NULL, 0),
    ('sales', 'Targets', 'Year',          'smallint', 0, NULL, 0),
    ('sales', 'Targets', 'Target',        'money', 0, NULL, 0),
    ('sales', 'vOpenInvoices', 'InvoiceID',   'int', 0, NULL, 0),
    ('sales', 'vOpenInvoices', 'Customer',    'nvarchar(80)', 0, NULL, 0),
    ('sales', 'vOpenInvoices', 'Amount',      'money', 0, NULL, 0),
    ('sales', 'vOpenInvoices', 'DueDate',     'date', 0, NULL, 0),
    ('sales', 'vOpenInvoices', 'DaysOverdue', 'int', 1, NULL, 0),
    ('sales', 'usp_PlaceOrder', '@CustomerID', 'int', 1, NULL, 1),
    ('sales', 'usp_PlaceOrder', '@Amount',     'money', 1, NULL, 1);

INSERT INTO demo_indexes (owner, tbl, indid, name, status, keycnt) VALUES
    ('sales', 'Customers', 1, 'PK_Customers', 2066, 1),
    ('sales', 'Customers', 2, 'IX_Customers_Region', 0, 1),
    ('sales', 'Invoices',  1, 'PK_Invoices', 2066, 1),
    ('sales', 'Invoices',  2, 'IX_Invoices_DueDate', 0, 1),
    ('sales', 'Invoices',  3, '_WA_Sys_00000002_0BC6C43E', 8388608, 1),
    ('sales', 'Targets',   0, NULL, 0, 0);

-- ---------------------------------------------------------------------------
-- O'Neil: notes of his own, saved from his Linux desktop (bare LF)

INSERT INTO demo_objects (owner, name, xtype, parent, line_end, definition) VALUES
    ('O''Neil', 'Notes', 'U', NULL, 'LF', NULL),
    ('O''Neil', 'PK_Notes', 'PK', 'Notes', 'LF', NULL),
    ('O''Neil', 'DF_Notes: Created', 'D', 'Notes', 'LF', '(getdate())'),
    ('O''Neil', 'vMyNotes', 'V', NULL, 'LF',
'CREATE VIEW [O''Neil].vMyNotes
AS
-- O''Neil''s notes of the last 30 days
SELECT NoteID, Subject, [Created at]
  FROM [O''Neil].Notes
 WHERE [Created at] >= DATEADD(day, -30, GETDATE())
'),
    ('O''Neil', 'usp_CleanupNotes', 'P', NULL, 'LF',
'CREATE PROCEDURE [O''Neil].usp_CleanupNotes
AS
    DELETE FROM [O''Neil].Notes
     WHERE [Created at] < DATEADD(year, -1, GETDATE())
       AND Subject NOT LIKE N''%keep%'';
');

INSERT INTO demo_columns (owner, object, name, type, nullable, default_name) VALUES
    ('O''Neil', 'Notes', 'NoteID',     'int', 0, NULL),
    ('O''Neil', 'Notes', 'Subject',    'nvarchar(200)', 0, NULL),
    ('O''Neil', 'Notes', 'Body',       'nvarchar(max)', 1, NULL),
    ('O''Neil', 'Notes', 'Created at', 'datetime', 0, 'DF_Notes: Created'),
    ('O''Neil', 'vMyNotes', 'NoteID',     'int', 0, NULL),
    ('O''Neil', 'vMyNotes', 'Subject',    'nvarchar(200)', 0, NULL),
    ('O''Neil', 'vMyNotes', 'Created at', 'datetime', 0, NULL);

INSERT INTO demo_indexes (owner, tbl, indid, name, status, keycnt) VALUES
    ('O''Neil', 'Notes', 1, 'PK_Notes', 2066, 1);

-- ---------------------------------------------------------------------------
-- The catalogue rows, derived from the work tables

-- Object ids: the server's own objects keep theirs, the others get large
-- numbers in creation order, as the server hands them out.
CREATE TEMP TABLE demo_ids AS
SELECT seq, coalesce(id, 117575457 + seq * 4194319) AS id FROM demo_objects;

INSERT INTO sysobjects (name, id, xtype, uid, status, parent_obj, crdate, type, refdate)
SELECT o.name, i.id,
       substr(o.xtype || ' ', 1, 2),
       u.uid, o.status, coalesce(pi.id, 0),
       CASE WHEN o.status < 0 THEN '2009-04-13 12:59:11'
            ELSE datetime('2024-02-05 09:00:00', '+' || (11 * o.seq) || ' minutes') END,
       CASE WHEN o.xtype IN ('PK', 'UQ') THEN 'K ' ELSE substr(o.xtype || ' ', 1, 2) END,
       CASE WHEN o.status < 0 THEN '2009-04-13 12:59:11'
            ELSE datetime('2024-02-05 09:00:00', '+' || (11 * o.seq) || ' minutes') END
  FROM demo_objects o
  JOIN demo_ids i ON i.seq = o.seq
  JOIN sysusers u ON u.name = o.owner
  LEFT JOIN demo_objects p ON p.owner = o.owner AND p.name = o.parent AND p.xtype IN ('U', 'V')
  LEFT JOIN demo_ids pi ON pi.seq = p.seq;

-- Definitions with the line ends they were saved with, in records of at
-- most 4,000 characters; procedures are numbered 1, as the server does.
WITH RECURSIVE texts(id, number, body) AS (
    SELECT i.id, CASE WHEN o.xtype = 'P' THEN 1 ELSE 0 END,
           CASE o.line_end WHEN 'CRLF' THEN replace(o.definition, char(10), char(13) || char(10))
                           ELSE o.definition END
      FROM demo_objects o
      JOIN demo_ids i ON i.seq = o.seq
     WHERE o.definition IS NOT NULL
),
pieces(id, number, colid, piece, rest) AS (
    SELECT id, number, 1, substr(body, 1, 4000), substr(body, 4001) FROM texts
    UNION ALL
    SELECT id, number, colid + 1, substr(rest, 1, 4000), substr(rest, 4001) FROM pieces WHERE rest <> ''
)
INSERT INTO syscomments (id, number, colid, text)
SELECT id, number, colid, piece FROM pieces;

-- Column types as written: nvarchar(40), decimal(10,2), varbinary(max) ...
WITH declared AS (
    SELECT c.*,
           CASE WHEN instr(c.type, '(') > 0 THEN substr(c.type, 1, instr(c.type, '(') - 1) ELSE c.type END AS base,
           CASE WHEN instr(c.type, '(') > 0
                THEN substr(c.type, instr(c.type, '(') + 1, length(c.type) - instr(c.type, '(') - 1) END AS args
      FROM demo_columns c
),
parts AS (
    SELECT declared.*,
           CASE WHEN args = 'max' THEN -1
                WHEN instr(args, ',') > 0 THEN CAST(substr(args, 1, instr(args, ',') - 1) AS INTEGER)
                ELSE CAST(args AS INTEGER) END AS arg1,
           CASE WHEN instr(args, ',') > 0 THEN CAST(substr(args, instr(args, ',') + 1) AS INTEGER) END AS arg2
      FROM declared
)
INSERT INTO syscolumns (name, id, xtype, xusertype, length, xprec, xscale, colid, cdefault, number, colorder,
                        isoutparam, isnullable, collation)
SELECT p.name, i.id, t.xtype, t.xusertype,
       CASE WHEN p.base IN ('nvarchar', 'nchar') THEN CASE WHEN p.arg1 < 0 THEN -1 ELSE 2 * p.arg1 END
            WHEN p.base IN ('varchar', 'char', 'varbinary', 'binary') THEN p.arg1
            WHEN p.base IN ('decimal', 'numeric') THEN CASE WHEN p.arg1 <= 9 THEN 5 WHEN p.arg1 <= 19 THEN 9
                                                            WHEN p.arg1 <= 28 THEN 13 ELSE 17 END
            ELSE t.length END,
       CASE WHEN p.base IN ('decimal', 'numeric') THEN p.arg1 ELSE t.xprec END,
       CASE WHEN p.base IN ('decimal', 'numeric') THEN coalesce(p.arg2, 0) ELSE t.xscale END,
       row_number() OVER (PARTITION BY p.owner, p.object, p.is_parameter ORDER BY p.seq),
       coalesce(di.id, 0),
       p.is_parameter,
       row_number() OVER (PARTITION BY p.owner, p.object, p.is_parameter ORDER BY p.seq),
       0, p.nullable,
       CASE WHEN t.collation IS NOT NULL THEN 'Latin1_General_CI_AS' END
  FROM parts p
  JOIN demo_objects o ON o.owner = p.owner AND o.name = p.object AND o.xtype NOT IN ('D', 'C', 'F', 'PK', 'UQ', 'TR')
  JOIN demo_ids i ON i.seq = o.seq
  JOIN systypes t ON t.name = p.base
  LEFT JOIN demo_objects d ON d.owner = p.owner AND d.name = p.default_name AND d.xtype = 'D'
  LEFT JOIN demo_ids di ON di.seq = d.seq;

INSERT INTO sysindexes (id, status, indid, keycnt, name, dpages, reserved, used, rowcnt, rows, OrigFillFactor)
SELECT i.id, x.status, x.indid, x.keycnt, x.name,
       CASE WHEN x.status & 8388640 <> 0 THEN 0 ELSE 1 + x.indid END,
       CASE WHEN x.status & 8388640 <> 0 THEN 0 ELSE 9 + x.indid END,
       CASE WHEN x.status & 8388640 <> 0 THEN 0 ELSE 2 + x.indid END,
       CASE WHEN x.status & 8388640 <> 0 THEN 0 ELSE 120 END,
       CASE WHEN x.status & 8388640 <> 0 THEN 0 ELSE 120 END,
       0
  FROM demo_indexes x
  JOIN demo_objects o ON o.owner = x.owner AND o.name = x.tbl AND o.xtype = 'U'
  JOIN demo_ids i ON i.seq = o.seq;

-- What SQLite's planner should know of the tables' sizes.
ANALYZE;
