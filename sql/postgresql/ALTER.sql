-- Columns the SQL Server application keeps that the FoxPro tables never had. Run as one text:
-- no batch separators here. PostgreSQL runs such a text as one transaction, so either every
-- column is added or none is.
ALTER TABLE "personnel" ADD "aadhaar_no" varchar(12);
ALTER TABLE "personnel" ADD "email_id" varchar(60);
ALTER TABLE "paybill" ADD "bill_status" varchar(10);
ALTER TABLE "installation" ADD "migrated_on" timestamp(3) CHECK ("migrated_on" BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999');
ALTER TABLE "designation" ADD "dsgn_class" varchar(2);
