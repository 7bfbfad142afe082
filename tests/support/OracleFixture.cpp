#include "support/OracleFixture.h"

namespace ks::test {

QStringList oracleDictionaryDdl(const QString &user)
{
    QStringList ddl = {
        "CREATE TABLE DBA_USERS (USERNAME TEXT, USER_ID INTEGER)",
        "CREATE TABLE DBA_OBJECTS (OWNER TEXT, OBJECT_NAME TEXT, OBJECT_TYPE TEXT)",
        "CREATE TABLE DBA_VIEWS (OWNER TEXT, VIEW_NAME TEXT, TEXT TEXT)",
        "CREATE TABLE DBA_TAB_COLUMNS (OWNER TEXT, TABLE_NAME TEXT, COLUMN_NAME TEXT, COLUMN_ID INTEGER)",
        "CREATE TABLE DBA_TAB_COMMENTS (OWNER TEXT, TABLE_NAME TEXT, COMMENTS TEXT)",
        "CREATE TABLE DBA_COL_COMMENTS (OWNER TEXT, TABLE_NAME TEXT, COLUMN_NAME TEXT, COMMENTS TEXT)",
        "CREATE TABLE DBA_TRIGGERS (OWNER TEXT, TRIGGER_NAME TEXT, TABLE_NAME TEXT, DESCRIPTION TEXT, TRIGGER_BODY "
        "TEXT)",
        "CREATE TABLE DBA_SOURCE (OWNER TEXT, NAME TEXT, TYPE TEXT, LINE INTEGER, TEXT TEXT)",
    };
    const QStringList views
        = {"USERS", "OBJECTS", "VIEWS", "TAB_COLUMNS", "TAB_COMMENTS", "COL_COMMENTS", "TRIGGERS", "SOURCE"};
    const QStringList userColumns = {
        "USERNAME, USER_ID",
        "OBJECT_NAME, OBJECT_TYPE",
        "VIEW_NAME, TEXT",
        "TABLE_NAME, COLUMN_NAME, COLUMN_ID",
        "TABLE_NAME, COMMENTS",
        "TABLE_NAME, COLUMN_NAME, COMMENTS",
        "TRIGGER_NAME, TABLE_NAME, DESCRIPTION, TRIGGER_BODY",
        "NAME, TYPE, LINE, TEXT",
    };
    for (int i = 0; i < views.size(); ++i) {
        ddl << QStringLiteral("CREATE VIEW ALL_%1 AS SELECT * FROM DBA_%1").arg(views.at(i));
        // USER_USERS shows the user himself; the others his own objects, without an owner column.
        const QString where
            = views.at(i) == QStringLiteral("USERS") ? QStringLiteral("USERNAME") : QStringLiteral("OWNER");
        ddl << QStringLiteral("CREATE VIEW USER_%1 AS SELECT %2 FROM DBA_%1 WHERE %3 = '%4'")
                   .arg(views.at(i), userColumns.at(i), where, user);
    }
    return ddl;
}

QStringList oracleFixture()
{
    QStringList sql = oracleDictionaryDdl();
    sql << QStringList {
        "INSERT INTO DBA_USERS VALUES ('SYS', 0), ('SCOTT', 10), ('HR', 20), ('O''HARA', 30)",
        "INSERT INTO DBA_OBJECTS VALUES ('SCOTT', 'EMP', 'TABLE'), ('SCOTT', 'DEPT', 'TABLE'),"
        " ('SCOTT', 'EMP_V', 'VIEW'), ('SCOTT', 'PAY_PKG', 'PACKAGE'), ('SCOTT', 'PAY_PKG', 'PACKAGE BODY'),"
        " ('HR', 'EMPLOYEES', 'TABLE'), ('HR', 'EMP_TRG', 'TRIGGER'), ('O''HARA', 'EMP', 'TABLE'),"
        " ('SCOTT', 'O''REILLY_V', 'VIEW')",
        "INSERT INTO DBA_VIEWS VALUES ('SCOTT', 'EMP_V', 'select empno, ename\nfrom emp\nwhere deptno = 10'),"
        " ('SCOTT', 'O''REILLY_V', 'select * from dept where dname = ''O''''Brien'''),"
        " ('HR', 'STAFF_V', 'select * from employees')",
        "INSERT INTO DBA_TAB_COLUMNS VALUES ('SCOTT', 'EMP', 'EMPNO', 1), ('SCOTT', 'EMP', 'ENAME', 2),"
        " ('SCOTT', 'DEPT', 'DEPTNO', 1), ('HR', 'EMPLOYEES', 'EMPLOYEE_ID', 1), ('O''HARA', 'EMP', 'EMPNO', 1)",
        "INSERT INTO DBA_TAB_COMMENTS VALUES ('SCOTT', 'EMP', 'Employees of the company'),"
        " ('O''HARA', 'EMP', 'Employees, old copy'), ('HR', 'EMPLOYEES', 'Straße und Größe')",
        "INSERT INTO DBA_COL_COMMENTS VALUES ('SCOTT', 'EMP', 'ENAME', 'Name of the employee'),"
        " ('SCOTT', 'DEPT', 'DEPTNO', NULL)",
        "INSERT INTO DBA_TRIGGERS VALUES ('HR', 'EMP_TRG', 'EMPLOYEES', 'emp_trg before insert on employees',"
        " 'begin\n  :new.employee_id := emp_seq.nextval;\nend;')",
        "INSERT INTO DBA_SOURCE VALUES ('SCOTT', 'PAY_PKG', 'PACKAGE', 1, 'package pay_pkg is\n'),"
        " ('SCOTT', 'PAY_PKG', 'PACKAGE', 2, '  procedure raise_emp(p_empno number);\n'),"
        " ('SCOTT', 'PAY_PKG', 'PACKAGE', 3, 'end;'),"
        " ('SCOTT', 'PAY_PKG', 'PACKAGE BODY', 2, '  procedure raise_emp(p_empno number) is begin null; end;\n'),"
        " ('SCOTT', 'PAY_PKG', 'PACKAGE BODY', 1, 'package body pay_pkg is\n'),"
        " ('SCOTT', 'PAY_PKG', 'PACKAGE BODY', 3, 'end;'),"
        " ('SCOTT', 'WIN_PROC', 'PROCEDURE', 1, 'procedure win_proc is' || char(13) || char(10)),"
        " ('SCOTT', 'WIN_PROC', 'PROCEDURE', 2, 'begin null; end;')",
    };
    return sql;
}

} // namespace ks::test
