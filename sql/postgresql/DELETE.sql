-- Removes rows that were imported twice, keeping the first copy of each: of the rows that agree
-- in the columns a statement groups by (nulls agreeing with nulls, texts compared with their
-- case), the one saved first stays.
-- Run as one text: no batch separators here; PostgreSQL runs it as one transaction, so a failure
-- deletes nothing. PostgreSQL numbers no rows: the first copy is the one whose transaction is
-- the oldest (age of xmin) and, among the rows of one transaction, the one stored first (ctid).
DELETE FROM "personnel" WHERE ctid IN (SELECT ctid FROM (SELECT ctid, row_number() OVER (PARTITION BY "id_no", "emp_code", "pay_mon", "pay_year" ORDER BY age(xmin) DESC, ctid) AS copy FROM "personnel") AS copies WHERE copy > 1);
DELETE FROM "personnel-del" WHERE ctid IN (SELECT ctid FROM (SELECT ctid, row_number() OVER (PARTITION BY "id_no", "emp_code" ORDER BY age(xmin) DESC, ctid) AS copy FROM "personnel-del") AS copies WHERE copy > 1);
DELETE FROM "department" WHERE ctid IN (SELECT ctid FROM (SELECT ctid, row_number() OVER (PARTITION BY "dept_code" ORDER BY age(xmin) DESC, ctid) AS copy FROM "department") AS copies WHERE copy > 1);
DELETE FROM "designation" WHERE ctid IN (SELECT ctid FROM (SELECT ctid, row_number() OVER (PARTITION BY "dsgn_code" ORDER BY age(xmin) DESC, ctid) AS copy FROM "designation") AS copies WHERE copy > 1);
DELETE FROM "establishment" WHERE ctid IN (SELECT ctid FROM (SELECT ctid, row_number() OVER (PARTITION BY "dept_code", "estb_code" ORDER BY age(xmin) DESC, ctid) AS copy FROM "establishment") AS copies WHERE copy > 1);
DELETE FROM "bank" WHERE ctid IN (SELECT ctid FROM (SELECT ctid, row_number() OVER (PARTITION BY "bank_code" ORDER BY age(xmin) DESC, ctid) AS copy FROM "bank") AS copies WHERE copy > 1);
DELETE FROM "qualification" WHERE ctid IN (SELECT ctid FROM (SELECT ctid, row_number() OVER (PARTITION BY "qlf_code" ORDER BY age(xmin) DESC, ctid) AS copy FROM "qualification") AS copies WHERE copy > 1);
DELETE FROM "BranchMaster" WHERE ctid IN (SELECT ctid FROM (SELECT ctid, row_number() OVER (PARTITION BY "micr_name", "bank_code", "branch_cod" ORDER BY age(xmin) DESC, ctid) AS copy FROM "BranchMaster") AS copies WHERE copy > 1);
