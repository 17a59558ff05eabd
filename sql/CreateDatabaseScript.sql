-- Creates the database that receives the FoxPro payroll data.
CREATE DATABASE zuna
GO
