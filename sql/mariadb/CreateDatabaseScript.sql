-- Creates the database that receives the FoxPro payroll data, on MariaDB. Runs on a connection
-- to no database. utf8mb4, so that every text of the FoxPro code page fits; compared without
-- case, as SQL Server does.
CREATE DATABASE zuna CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci
GO
