-- Creates the database that receives the FoxPro payroll data, on PostgreSQL. Runs on the
-- maintenance database postgres, in autocommit: PostgreSQL creates a database only outside a
-- transaction. UTF-8, so that every text of the FoxPro code page fits; template0, so that the
-- encoding may differ from the server's default (the server's locale must then allow UTF-8).
CREATE DATABASE zuna ENCODING 'UTF8' TEMPLATE template0
GO
