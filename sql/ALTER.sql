-- Columns the SQL Server application keeps that the FoxPro tables never had. Run as one text:
-- no batch separators here.
ALTER TABLE personnel ADD aadhaar_no varchar(12);
ALTER TABLE personnel ADD email_id varchar(60);
ALTER TABLE paybill ADD bill_status varchar(10);
ALTER TABLE installation ADD migrated_on datetime;
ALTER TABLE designation ADD dsgn_class varchar(2);
